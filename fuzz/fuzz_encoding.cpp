// Utf8ToText, TextToWide and WideToText on any bytes. The whole input is the
// buffer (zero bytes included): as UTF-8, as a GBK text and as UTF-16.
#include "fuzz/fuzz_support.h"
#include "platform/codepage.h"
#include "web/encoding.h"

#include <unicode/utf8.h>

using namespace fuzzing;

namespace {

// The code points of valid UTF-8 without a zero byte; false for anything else.
bool DecodeUtf8(std::string_view bytes, std::vector<UChar32>& points) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto length = static_cast<int32_t>(bytes.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c <= 0) return false;
    points.push_back(c);
  }
  return true;
}

// GBK holds the character both ways: it converts and converts back.
bool GbkHolds(UChar32 c) {
  std::u16string one;
  if (U_IS_BMP(c)) {
    one += static_cast<char16_t>(c);
  } else {
    one += static_cast<char16_t>(U16_LEAD(c));
    one += static_cast<char16_t>(U16_TRAIL(c));
  }
  const std::string gbk = platform::WideToMultiByte(platform::CodePageGbk, one);
  return gbk != "?" && platform::MultiByteToWide(platform::CodePageGbk, gbk) == one;
}

std::u16string UnitsOf(const ByteBuffer& wide) {
  std::u16string units;
  for (std::size_t k = 0; k + 1 < wide.size(); k += 2) units += static_cast<char16_t>(wide[k] | (wide[k + 1] << 8));
  return units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteBuffer bytes(data, data + size);
  const std::string_view raw(reinterpret_cast<const char*>(data), size);

  // UTF-8 in: a text without zero bytes; for characters GBK holds, the way
  // through UTF-16 and back gives the same characters and the same text.
  const Text text = web::Utf8ToText(bytes);
  Require(text.find('\0') == Text::npos, "Utf8ToText kept a zero byte", raw, text);
  std::vector<UChar32> points;
  if (DecodeUtf8(raw, points)) {
    bool representable = true;
    for (const UChar32 c : points) representable = representable && GbkHolds(c);
    if (representable) {
      const ByteBuffer wide = web::TextToWide(text);
      std::u16string expected;
      for (const UChar32 c : points) {
        if (U_IS_BMP(c)) {
          expected += static_cast<char16_t>(c);
        } else {
          expected += static_cast<char16_t>(U16_LEAD(c));
          expected += static_cast<char16_t>(U16_TRAIL(c));
        }
      }
      expected += u'\0';
      Require(UnitsOf(wide) == expected, "TextToWide did not give the UTF-8 characters back", raw, text);
      Require(web::WideToText(wide) == text, "WideToText did not give the text back", raw, text);
    }
  }

  // GBK in: an even buffer ending in one zero unit, no zero unit before it.
  const ByteBuffer wide = web::TextToWide(raw);
  Require(wide.size() % 2 == 0 && wide.size() >= 2 && wide[wide.size() - 1] == 0 && wide[wide.size() - 2] == 0,
          "TextToWide lacks its terminator", raw);
  const std::u16string units = UnitsOf(wide);
  Require(units.find(u'\0') == units.size() - 1, "TextToWide holds a zero unit before its end", raw);
  const ByteBuffer bare = web::TextToWide(raw, true);
  Require(bare.size() + 2 == wide.size() && std::equal(bare.begin(), bare.end(), wide.begin()),
          "TextToWide without terminator is not the same units", raw);
  // The text once through the code page reads the same every further time.
  const Text once = web::WideToText(wide);
  Require(web::WideToText(web::TextToWide(once)) == once, "a converted text changes on a second pass", raw, once);

  // UTF-16 in: up to the first zero unit; an odd last byte is ignored.
  const Text back = web::WideToText(bytes);
  Require(back.find('\0') == Text::npos, "WideToText kept a zero byte", raw, back);
  if (size % 2 == 1) {
    Require(web::WideToText(ByteBuffer(bytes.begin(), bytes.end() - 1)) == back, "WideToText read the odd byte", raw);
  }
  for (std::size_t k = 0; k + 1 < size; k += 2) {
    if (bytes[k] == 0 && bytes[k + 1] == 0) {
      Require(web::WideToText(ByteBuffer(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(k))) == back,
              "WideToText read beyond the first zero unit", raw);
      break;
    }
  }
  return 0;
}
