# Writes every file of SRC_DIR (*.vert, *.frag) into OUT as a C++ raw string,
# reachable through GetShaderSource("name.ext").
file(GLOB files ${SRC_DIR}/*.vert ${SRC_DIR}/*.frag)
list(SORT files)
set(body "// Generated from the Shaders folder. Do not edit.\n#include <cstring>\nnamespace {\nstruct Entry { const char* name; const char* text; };\nconst Entry kShaders[] = {\n")
foreach(f ${files})
  get_filename_component(name ${f} NAME)
  file(READ ${f} text)
  string(APPEND body "  {\"${name}\", R\"glsl__(${text})glsl__\"},\n")
endforeach()
string(APPEND body "  {nullptr, nullptr}\n};\n}\nconst char* GetShaderSource(const char* name) {\n  for (const Entry* e = kShaders; e->name; ++e)\n    if (std::strcmp(e->name, name) == 0) return e->text;\n  return nullptr;\n}\n")
file(WRITE ${OUT}.tmp "${body}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.tmp ${OUT})
