# Writes the bytes of INPUT as a C++ array `kHelpText` (NUL-terminated) into OUTPUT.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUTPUT}
    "// Generated from ${INPUT}; do not edit.\n"
    "extern const char kHelpText[];\n"
    "const char kHelpText[] = {${bytes} 0x00};\n")
