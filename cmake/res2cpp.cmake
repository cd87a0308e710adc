# Writes a C++ file that holds the bytes of a .res image and registers them
# with win32host at start-up.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n#include \"host.h\"\n\nnamespace {\nconst unsigned char image[${size}] = {\n${bytes}\n};\nstruct Registrar {\n    Registrar() { w32h::register_resources(image, sizeof image); }\n} registrar;\n}  // namespace\n")
