# Writes the bytes of INPUT into OUTPUT as a C++ array named SYMBOL in
# namespace app, with SYMBOL##Size holding its length.
file(READ "${INPUT}" _hex HEX)
string(LENGTH "${_hex}" _digits)
math(EXPR _size "${_digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from the built skin library; do not edit.\n"
  "#include <cstddef>\n"
  "namespace app {\n"
  "extern const unsigned char ${SYMBOL}[];\n"
  "extern const std::size_t ${SYMBOL}Size;\n"
  "const unsigned char ${SYMBOL}[] = {\n${_bytes}\n};\n"
  "const std::size_t ${SYMBOL}Size = ${_size};\n"
  "} // namespace app\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
