# Checks the include lines of one layer's files before the layer is
# compiled (see Layers.cmake):
#   - no file climbs out of its folder with a relative include ("../"), which
#     would reach past the layer's include root;
#   - with PLATFORM_FREE, no file includes a platform library's header (SDL,
#     OpenGL or epoxy, OpenAL, Dear ImGui): those are the framework's and the
#     application's business;
#   - with GRAPHICS_FREE, no file includes the graphics services
#     (Framework/Graphics/) or the renderer: such a layer only describes its
#     pictures (Framework/Render/RenderFrame.h).
# cmake -DLAYER=<name> -DPLATFORM_FREE=ON|OFF -DGRAPHICS_FREE=ON|OFF -DFILE_LIST=<file> -DSTAMP=<file>
#       -P CheckLayerIncludes.cmake
# On success the stamp is touched; otherwise every offending line is listed
# (indented, so that the message keeps its lines) and the build stops.

file(STRINGS ${FILE_LIST} files)
set(platform_headers "SDL[^/]*\\.h|SDL2/|epoxy/|GL/|GLES[0-9]*/|KHR/|AL/|imgui|backends/imgui")
set(problems "")
foreach(file ${files})
  if(file STREQUAL "")
    continue()
  endif()
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    string(REGEX MATCH "[<\"]([^>\"]*)[>\"]" quoted "${line}")
    set(header "${CMAKE_MATCH_1}")
    if(header MATCHES "(^|/)\\.\\./")
      string(APPEND problems "  ${file}: ${line}\n    climbs out of its folder; include by the path from the layer's root\n")
    elseif(PLATFORM_FREE AND header MATCHES "^(${platform_headers})")
      string(APPEND problems "  ${file}: ${line}\n    a platform header in the ${LAYER} layer; only the framework and the application use the platform libraries\n")
    elseif(GRAPHICS_FREE AND header MATCHES "^Framework/(Graphics/|Render/Renderer\\.h)")
      string(APPEND problems "  ${file}: ${line}\n    the ${LAYER} layer does not drive the graphics device; it describes a picture with Framework/Render/RenderFrame.h\n")
    endif()
  endforeach()
endforeach()

if(NOT problems STREQUAL "")
  message(FATAL_ERROR "Include rules of the ${LAYER} layer broken:\n${problems}")
endif()
file(TOUCH ${STAMP})
