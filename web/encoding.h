#pragma once

#include "web/text.h"

// The three crossings between the program's GBK texts and its neighbours'
// encodings: photo lists arrive as UTF-8, the regular-expression engine works
// on UTF-16 (little-endian units in a byte buffer).
namespace web {

// UTF-8 bytes to GBK; what GBK cannot hold becomes "?"; up to the first zero.
Text Utf8ToText(const ByteBuffer& utf8);
// GBK to UTF-16 with its terminating zero unit, unless withoutTerminator.
ByteBuffer TextToWide(std::string_view text, bool withoutTerminator = false);
// UTF-16 to GBK, up to the first zero unit; an odd last byte is ignored.
Text WideToText(const ByteBuffer& wide);

} // namespace web
