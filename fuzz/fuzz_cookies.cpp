// CollectSetCookies, MergeCookies and DistinctItems on any header block and
// cookie texts. Fields: header block, held cookies, received cookies.
// Options: the separator for DistinctItems.
#include "fuzz/fuzz_support.h"
#include "web/cookies.h"

#include <set>

using namespace fuzzing;

namespace {

// By the text rules: "=deleted" as the last characters of the pair.
bool EndsDeleted(std::string_view pair) {
  constexpr std::string_view deleted = "=deleted";
  return pair.size() >= deleted.size() &&
         web::FindLastText(pair, deleted) == static_cast<int>(pair.size() - deleted.size()) + 1;
}

void CheckCollect(std::string_view block) {
  const Text cookies = web::CollectSetCookies(block);
  // The text goes out as one Cookie header line.
  Require(cookies.find_first_of("\r\n") == Text::npos, "collected cookies hold a line break", block, cookies);
}

void CheckMerge(const std::string& heldIn, const std::string& receivedIn) {
  Text held = heldIn;
  Text received = receivedIn;
  const Text merged = web::MergeCookies(held, received);
  Require(merged == held, "MergeCookies did not write its result back", merged, held);
  Require(web::FindText(received, " ") == -1 && web::FindText(received, "\xA1\xA1") == -1,
          "received cookies kept a space", receivedIn, received);

  std::set<Text> names;
  for (const Text& pair : web::SplitText(merged, "; ")) {
    Require(!EndsDeleted(pair), "a deleted cookie survived the merge", merged, pair);
    Require(web::FindText(pair, " ") == -1, "a merged cookie holds a space", merged, pair);
    Require(names.insert(web::CookieName(pair)).second, "a cookie is named twice", merged, pair);
  }

  // The received cookies are the newest: the last one of each name decides.
  std::set<Text> seen;
  const web::TextList pieces = web::SplitText(received, ";");
  // (A lead byte without its second byte at the very end is dropped.)
  for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
    Text whole = *piece;
    if (EndsInLoneLeadByte(whole)) whole.pop_back();
    if (!seen.insert(web::CookieName(whole)).second || EndsDeleted(whole) || whole.empty()) continue;
    bool present = false;
    for (const Text& pair : web::SplitText(merged, "; ")) present = present || pair == whole;
    Require(present, "the newest received cookie of a name is missing", merged, whole);
  }

  // A merged text merges into itself unchanged.
  Text again = merged;
  Text nothing;
  Require(web::MergeCookies(again, nothing) == merged, "merging the merged text again changed it", merged, again);
}

void CheckDistinct(std::string_view text, std::string_view separator) {
  const Text distinct = web::DistinctItems(text, separator);
  std::set<Text> kept;
  for (const Text& piece : web::SplitText(distinct, separator)) {
    Require(kept.insert(piece).second, "DistinctItems kept a repeated item", text, distinct);
  }
  // An empty item that ends up last has no way to be written: no piece
  // follows a separator at the very end.
  for (const Text& piece : web::SplitText(text, separator)) {
    Require(piece.empty() || kept.count(piece) == 1, "DistinctItems lost an item", text, piece);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in = Split(data, size);
  static const char* const separators[] = {"; ", ";", ", "};
  CheckCollect(in.Field(0));
  CheckMerge(in.Field(1), in.Field(2));
  CheckMerge(in.Field(1), web::CollectSetCookies(in.Field(0)));
  CheckDistinct(in.Field(1), separators[in.Option(0) % 3]);
  return 0;
}
