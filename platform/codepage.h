#pragma once

#include "platform/types.h"

#include <string>
#include <string_view>

// Code-page conversions on ICU, shaped like the Windows pair
// MultiByteToWideChar / WideCharToMultiByte: each measures its output first,
// then converts into a buffer of exactly that size.
namespace platform {

inline constexpr int CodePageGbk = 936;   // ICU converter "windows-936-2000"
inline constexpr int CodePageUtf8 = 65001;

// Bytes of the code page to UTF-16 units. Malformed input does not stop the
// conversion; the converter substitutes for it. The whole input is converted,
// zero bytes included.
std::u16string MultiByteToWide(int codePage, std::string_view bytes);

// UTF-16 units to bytes of the code page; "?" stands for every character the
// code page cannot hold (lone surrogates included). The whole input is
// converted, zero units included.
std::string WideToMultiByte(int codePage, std::u16string_view units);

// Convenience crossings between the program's GBK texts and UTF-8, the
// encoding of source literals, Qt's QString::fromUtf8 and the file system.
Text Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

} // namespace platform

// A GBK text from a UTF-8 source literal: "您输入的内容为空"_gbk.
platform::Text operator""_gbk(const char* utf8, std::size_t length);
