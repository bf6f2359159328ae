#pragma once

#include "platform/codepage.h"
#include "platform/types.h"

#include <cstddef>
#include <string_view>
#include <vector>

// The search, trim and cut rules that every reader of pages, scripts and
// header blocks in the program follows. Texts are GBK: a byte of 0x80 or
// above begins a double-byte character, and no search ever starts a match on
// its second byte. Positions are 1-based byte positions; -1 is "not found".
namespace web {

using platform::ByteBuffer;
using platform::Text;
using TextList = std::vector<Text>;

// Byte length of the character that begins at index i (0-based): 2 for a
// lead byte with a byte after it, otherwise 1.
std::size_t CharLength(std::string_view text, std::size_t i);

// Position of the first match of needle at or after start, or -1. A start
// below 1 counts as 1; candidates step a whole character at a time. With
// ignoreCase only the ASCII letters compare regardless of case.
int FindText(std::string_view text, std::string_view needle, int start = 1, bool ignoreCase = false);

// Position of the last match lying wholly inside the first before-1 bytes
// (the whole text when before is omitted), or -1; before <= 1 gives -1.
int FindLastText(std::string_view text, std::string_view needle, int before = -2);

// The text without leading and trailing half-width (0x20) and full-width
// (A1 A1) spaces; tabs and line breaks stay.
Text TrimSpaces(std::string_view text);

// Every occurrence of from replaced by to, scanning left to right.
Text ReplaceText(std::string_view text, std::string_view from, std::string_view to, bool ignoreCase = false);
inline Text RemoveText(std::string_view text, std::string_view what, bool ignoreCase = false) {
  return ReplaceText(text, what, {}, ignoreCase);
}

// The pieces between the separators, in order. An empty piece between two
// separators or before a leading one counts; nothing follows a trailing
// separator; an empty text gives no pieces.
TextList SplitText(std::string_view text, std::string_view separator);

// ASCII A-Z to a-z; double-byte characters are stepped over whole.
Text LowerAscii(std::string_view text);

// Full-width forms (A3 A1..A3 FE, and the ideographic space A1 A1) read as
// their half-width ASCII forms.
Text FullWidthToHalfWidth(std::string_view text);

// The leading decimal number of a text: optional blanks and sign, then digits
// up to the first non-digit; 0 without leading digits. Saturates at the int
// range instead of overflowing.
int TextToInt(std::string_view text);

// The text up to its first zero byte, all of it when there is none.
Text TextUpToZero(std::string_view bytes);
Text BodyText(const ByteBuffer& body);

// position / maximum * 100 in double precision, truncated, followed by "%".
// A maximum of 0 shows "0%" rather than dividing by zero.
Text PercentText(int position, int maximum);

// The value between the first left marker (from start) and the next right
// marker after it; empty when either is missing. "#引号" in a marker stands
// for a double quote.
Text GetMiddleText(std::string_view text, std::string_view left, std::string_view right, int start = 1,
                   bool ignoreCase = false);

// Every value between the markers, trimmed, into list (emptied first); a blank
// value ends the scan, one longer than maxLength (when not 0) is skipped.
// Returns the number of entries. Note the case flag's sense: by default the
// markers are found regardless of case.
int GetAllMiddleTexts(std::string_view text, std::string_view left, std::string_view right, TextList& list,
                      bool caseSensitive = false, int maxLength = 0, std::string_view prefix = {},
                      std::string_view suffix = {}, bool includeLeft = false, bool includeRight = false,
                      int start = 1);

} // namespace web
