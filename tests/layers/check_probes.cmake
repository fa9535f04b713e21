# Builds each layer probe and checks that it fails, or builds, for the reason
# it was written for. cmake -DBUILD_DIR=<build folder> -P check_probes.cmake
set(not_found "(No such file or directory|file not found)")
# probe|must build (1) or not (0)|what the failure must say (regular
# expressions, all of which must match, joined by &&)
set(probes
  "framework_includes_game|0|Game/Object/Object\\.h.*${not_found}|${not_found}.*Game/Object/Object\\.h"
  "game_includes_scene|0|Scene/GameScene\\.h.*${not_found}|${not_found}.*Scene/GameScene\\.h"
  "game_includes_sdl|0|#include <SDL\\.h>[^\n]*\n *a platform header in the game layer&&#include <SDL2/SDL\\.h>[^\n]*\n *a platform header in the game layer"
  "game_includes_graphics|0|ShaderManager\\.h\"[^\n]*\n *the game layer does not drive the graphics device&&Renderer\\.h\"[^\n]*\n *the game layer does not drive the graphics device"
  "game_climbs_to_scene|0|climbs out of its folder"
  "game_sees_framework|1|")

set(failures 0)
foreach(entry ${probes})
  string(FIND "${entry}" "|" first)
  string(SUBSTRING "${entry}" 0 ${first} name)
  math(EXPR rest_at "${first} + 1")
  string(SUBSTRING "${entry}" ${rest_at} -1 rest)
  string(SUBSTRING "${rest}" 0 1 must_build)
  string(SUBSTRING "${rest}" 2 -1 reason)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${name}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(log "${out}${err}")
  if(must_build)
    if(result EQUAL 0)
      message(STATUS "${name}: builds, as it must")
    else()
      message(SEND_ERROR "${name}: keeps to the rules but did not build:\n${log}")
      math(EXPR failures "${failures} + 1")
    endif()
  elseif(result EQUAL 0)
    message(SEND_ERROR "${name}: breaks a layer rule but built")
    math(EXPR failures "${failures} + 1")
  else()
    string(REPLACE "&&" ";" expected "${reason}")
    set(explained TRUE)
    foreach(pattern ${expected})
      if(NOT log MATCHES "${pattern}")
        set(explained FALSE)
      endif()
    endforeach()
    if(explained)
      message(STATUS "${name}: refused, as it must")
    else()
      message(SEND_ERROR "${name}: did not build, but not for the expected reason (${reason}):\n${log}")
      math(EXPR failures "${failures} + 1")
    endif()
  endif()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} layer probe(s) wrong")
endif()
