#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A text is a run of GBK (code page 936) bytes; empty and absent are the same.
using Text = std::string;

// An owned run of bytes: HTTP bodies, picture data, UTF-16 buffers.
using ByteBuffer = std::vector<std::uint8_t>;

inline ByteBuffer ToBytes(const Text& text) { return ByteBuffer(text.begin(), text.end()); }
inline Text ToText(const ByteBuffer& bytes) { return Text(bytes.begin(), bytes.end()); }

} // namespace platform
