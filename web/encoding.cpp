#include "web/encoding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace web {
namespace {

std::string_view AsChars(const ByteBuffer& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void AppendCodePoint(std::u16string& out, UChar32 c) {
  if (U_IS_BMP(c)) {
    out += static_cast<char16_t>(c);
  } else {
    out += static_cast<char16_t>(U16_LEAD(c));
    out += static_cast<char16_t>(U16_TRAIL(c));
  }
}

bool GbkHolds(UChar32 c) {
  std::u16string one;
  AppendCodePoint(one, c);
  return platform::WideToMultiByte(platform::CodePageGbk, one) != "?";
}

// WC_COMPOSITECHECK: a base character followed by nonspacing marks becomes
// the precomposed character where GBK has one (a + U+030C is the pinyin
// letter A8 A3); otherwise base and marks stay separate.
std::u16string ComposeForGbk(std::u16string_view units) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return std::u16string(units);
  std::u16string out;
  out.reserve(units.size());
  const auto length = static_cast<int32_t>(units.size());
  int32_t i = 0;
  while (i < length) {
    UChar32 base;
    U16_NEXT(units.data(), i, length, base);
    while (i < length) {
      int32_t next = i;
      UChar32 mark;
      U16_NEXT(units.data(), next, length, mark);
      if (u_getCombiningClass(mark) == 0) break;
      const UChar32 composed = nfc->composePair(base, mark);
      if (composed < 0 || !GbkHolds(composed)) break;
      base = composed;
      i = next;
    }
    AppendCodePoint(out, base);
  }
  return out;
}

} // namespace

Text Utf8ToText(const ByteBuffer& utf8) {
  if (utf8.empty()) return {};
  const std::u16string wide = platform::MultiByteToWide(platform::CodePageUtf8, AsChars(utf8));
  return TextUpToZero(platform::WideToMultiByte(platform::CodePageGbk, wide));
}

ByteBuffer TextToWide(std::string_view text, bool withoutTerminator) {
  // A text ends at its first zero byte. The terminator is appended rather
  // than converted, so that a text ending in a lone lead byte cannot take the
  // zero as its second byte.
  const std::u16string units = platform::MultiByteToWide(platform::CodePageGbk, TextUpToZero(text));
  ByteBuffer wide;
  wide.reserve(2 * units.size() + 2);
  for (const char16_t unit : units) {
    wide.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    wide.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  if (!withoutTerminator) {
    wide.push_back(0);
    wide.push_back(0);
  }
  return wide;
}

Text WideToText(const ByteBuffer& wide) {
  const std::size_t count = wide.size() / 2;
  std::u16string units;
  units.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    const auto unit = static_cast<char16_t>(wide[2 * k] | (wide[2 * k + 1] << 8));
    if (unit == u'\0') break;
    units += unit;
  }
  if (units.empty()) return {};
  return TextUpToZero(platform::WideToMultiByte(platform::CodePageGbk, ComposeForGbk(units)));
}

} // namespace web
