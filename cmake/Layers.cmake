# The game's code is built in four layers, each a library that may use only
# the layers below it:
#
#   application   Application/ (the window, the frame loop, start-up)
#   scenes        Scene/       (the screens and the HUD)
#   game          Game/        (the game world and everything in it)
#   framework     Framework/   (rendering, audio, models, input, collision)
#
# A layer sees its own folder and the folders below it, and nothing else: it
# is compiled against an include root of its own under the build folder that
# holds links to exactly those folders (the source root itself is on no
# layer's include path), so an include of a higher layer does not compile.
# The platform libraries (SDL, OpenGL through epoxy, OpenAL, Dear ImGui) are
# private to the framework and the application; their headers lie in the
# system's include folders, where any compiler finds them, so a build step
# rejects them in the game and the scenes. Includes that climb out of a
# folder ("../") are rejected everywhere.

set(MORVANE_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)
set(MORVANE_LAYERS framework game scenes application)
set(MORVANE_LAYER_DIRS_framework Framework)
set(MORVANE_LAYER_DIRS_game Framework Game)
set(MORVANE_LAYER_DIRS_scenes Framework Game Scene)
set(MORVANE_LAYER_DIRS_application Framework Game Scene Application)
# Layers whose code must not touch the platform libraries.
set(MORVANE_PLATFORM_FREE_LAYERS game scenes)
# Layers that never drive the graphics device: they describe what a picture
# shows in the plain records of Framework/Render/RenderFrame.h and leave the
# drawing to the renderer, so they include nothing of Framework/Graphics/ nor
# the renderer itself.
set(MORVANE_GRAPHICS_FREE_LAYERS game)

# The include roots: <build>/layers/<layer>/<Folder> -> <source>/<Folder>.
# Only the links themselves are ever removed (a link left by another source
# tree), never what they point to.
foreach(layer ${MORVANE_LAYERS})
  file(MAKE_DIRECTORY ${MORVANE_LAYER_ROOT}/${layer})
  file(GLOB entries LIST_DIRECTORIES true ${MORVANE_LAYER_ROOT}/${layer}/*)
  foreach(entry ${entries})
    get_filename_component(name ${entry} NAME)
    if(IS_SYMLINK ${entry} AND NOT name IN_LIST MORVANE_LAYER_DIRS_${layer})
      file(REMOVE ${entry})
    endif()
  endforeach()
  foreach(dir ${MORVANE_LAYER_DIRS_${layer}})
    set(link ${MORVANE_LAYER_ROOT}/${layer}/${dir})
    if(IS_SYMLINK ${link})
      file(READ_SYMLINK ${link} points_to)
      if(NOT points_to STREQUAL "${CMAKE_SOURCE_DIR}/${dir}")
        file(REMOVE ${link})
      endif()
    endif()
    if(NOT IS_SYMLINK ${link})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${dir} ${link} RESULT failed SYMBOLIC)
      if(failed)
        message(FATAL_ERROR "cannot make the include root of the ${layer} layer: ${link}: ${failed}")
      endif()
    endif()
  endforeach()
endforeach()

# Gives a target the rules of a layer: its include root (also for whoever
# links it) and, before the target is compiled, the check of the includes of
# the given files.
function(morvane_layer_rules target layer)
  cmake_parse_arguments(ARG "" "" "CHECK_FILES" ${ARGN})
  if(NOT layer IN_LIST MORVANE_LAYERS)
    message(FATAL_ERROR "morvane_layer_rules: unknown layer '${layer}'")
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${MORVANE_LAYER_ROOT}/${layer})
  else()
    target_include_directories(${target} PUBLIC ${MORVANE_LAYER_ROOT}/${layer})
  endif()

  set(platform_free OFF)
  if(layer IN_LIST MORVANE_PLATFORM_FREE_LAYERS)
    set(platform_free ON)
  endif()
  set(graphics_free OFF)
  if(layer IN_LIST MORVANE_GRAPHICS_FREE_LAYERS)
    set(graphics_free ON)
  endif()
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.include_check.txt)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.include_check.stamp)
  string(REPLACE ";" "\n" lines "${ARG_CHECK_FILES}")
  file(WRITE ${list_file}.tmp "${lines}\n")
  configure_file(${list_file}.tmp ${list_file} COPYONLY)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLAYER=${layer} -DPLATFORM_FREE=${platform_free} -DGRAPHICS_FREE=${graphics_free} -DFILE_LIST=${list_file}
            -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
    DEPENDS ${ARG_CHECK_FILES} ${list_file} ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
    COMMENT "Checking the includes of ${target} (${layer} layer)"
    VERBATIM)
  add_custom_target(${target}_include_check DEPENDS ${stamp})
  add_dependencies(${target} ${target}_include_check)
endfunction()

# The sources (and headers, for the check) of one layer's folder.
function(morvane_layer_files out_sources out_all dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  set(${out_sources} ${sources} PARENT_SCOPE)
  set(${out_all} ${sources} ${headers} PARENT_SCOPE)
endfunction()
