#pragma once

#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// What the fuzz targets share: inputs are fields separated by zero bytes
// (the texts of this program never hold one: bodies are cut at the first),
// the first field holding option bytes; a broken property prints what broke
// and aborts, so that libFuzzer keeps the input.
namespace fuzzing {

using platform::ByteBuffer;
using platform::Text;

struct Input {
  std::string options;
  std::vector<std::string> fields;

  // Option byte i, 0 when there are fewer.
  unsigned Option(std::size_t i) const { return i < options.size() ? static_cast<unsigned char>(options[i]) : 0u; }
  bool Flag(std::size_t i, unsigned bit) const { return (Option(i) >> bit) & 1u; }
  // Field i, empty when there are fewer.
  const std::string& Field(std::size_t i) const {
    static const std::string none;
    return i < fields.size() ? fields[i] : none;
  }
};

inline Input Split(const std::uint8_t* data, std::size_t size) {
  Input input;
  std::string current;
  bool first = true;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != 0) {
      current.push_back(static_cast<char>(data[i]));
      continue;
    }
    if (first) {
      input.options = std::move(current);
    } else {
      input.fields.push_back(std::move(current));
    }
    first = false;
    current.clear();
  }
  if (first) {
    input.options = std::move(current);
  } else {
    input.fields.push_back(std::move(current));
  }
  return input;
}

// An ASCII capital lowered; every other byte, lead and trail bytes of
// double-byte characters included, as it is. The reference models compare
// with it byte by byte, apart from the program's character-wise fold.
inline char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string Printable(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      out.push_back(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    }
  }
  return out;
}

[[noreturn]] inline void Broken(const char* property, std::string_view a = {}, std::string_view b = {}) {
  std::fprintf(stderr, "\nproperty broken: %s\n  [%s]\n  [%s]\n", property, Printable(a).c_str(),
               Printable(b).c_str());
  std::abort();
}

inline void Require(bool holds, const char* property, std::string_view a = {}, std::string_view b = {}) {
  if (!holds) Broken(property, a, b);
}

// The character starts of a text by the GBK rule: a byte of 0x80 or above
// takes the byte after it as its second byte.
inline std::vector<bool> CharacterStarts(std::string_view text) {
  std::vector<bool> starts(text.size() + 1, false);
  std::size_t i = 0;
  while (i < text.size()) {
    starts[i] = true;
    i += static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
  }
  starts[text.size()] = true;
  return starts;
}

// True when the text ends in a lead byte that has no second byte.
inline bool EndsInLoneLeadByte(std::string_view text) {
  std::size_t i = 0;
  std::size_t last = 1;
  while (i < text.size()) {
    last = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
    i += last;
  }
  return !text.empty() && last == 1 && static_cast<unsigned char>(text.back()) >= 0x80;
}

inline bool IsSubstring(std::string_view text, std::string_view part) {
  return part.empty() || text.find(part) != std::string_view::npos;
}

} // namespace fuzzing
