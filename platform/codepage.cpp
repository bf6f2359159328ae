#include "platform/codepage.h"

#include <unicode/ucnv.h>

#include <memory>

namespace platform {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenConverter(int codePage) {
  UErrorCode status = U_ZERO_ERROR;
  const char* name = codePage == CodePageUtf8 ? "UTF-8" : "windows-936-2000";
  Converter converter(ucnv_open(name, &status));
  if (U_FAILURE(status)) return nullptr;
  return converter;
}

} // namespace

std::u16string MultiByteToWide(int codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  Converter converter = OpenConverter(codePage);
  if (!converter) return {};
  UErrorCode status = U_ZERO_ERROR;
  const auto length = static_cast<int32_t>(bytes.size());
  // Measure first, then convert into exactly that much.
  int32_t needed = ucnv_toUChars(converter.get(), nullptr, 0, bytes.data(), length, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::u16string units(static_cast<std::size_t>(needed), u'\0');
  status = U_ZERO_ERROR;
  ucnv_resetToUnicode(converter.get());
  needed = ucnv_toUChars(converter.get(), units.data(), needed, bytes.data(), length, &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  units.resize(static_cast<std::size_t>(needed));
  return units;
}

std::string WideToMultiByte(int codePage, std::u16string_view units) {
  if (units.empty()) return {};
  Converter converter = OpenConverter(codePage);
  if (!converter) return {};
  UErrorCode status = U_ZERO_ERROR;
  // The code page's default character, as WideCharToMultiByte uses it.
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  status = U_ZERO_ERROR;
  const auto length = static_cast<int32_t>(units.size());
  int32_t needed = ucnv_fromUChars(converter.get(), nullptr, 0, units.data(), length, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  status = U_ZERO_ERROR;
  ucnv_resetFromUnicode(converter.get());
  needed = ucnv_fromUChars(converter.get(), bytes.data(), needed, units.data(), length, &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  bytes.resize(static_cast<std::size_t>(needed));
  return bytes;
}

Text Utf8ToGbk(std::string_view utf8) {
  return WideToMultiByte(CodePageGbk, MultiByteToWide(CodePageUtf8, utf8));
}

std::string GbkToUtf8(std::string_view gbk) {
  return WideToMultiByte(CodePageUtf8, MultiByteToWide(CodePageGbk, gbk));
}

} // namespace platform

platform::Text operator""_gbk(const char* utf8, std::size_t length) {
  return platform::Utf8ToGbk(std::string_view(utf8, length));
}
