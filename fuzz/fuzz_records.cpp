// DeriveAccountName, AlbumListScriptAddress and the Album record reading on
// any entry, home page and album-list script. Fields: entry, home page,
// script. Options: the configuration (demo or live).
#include "catalogue/records.h"
#include "fuzz/fuzz_support.h"
#include "platform/codepage.h"
#include "web/text.h"

using namespace fuzzing;

namespace {

void CheckAccount(const catalogue::Configuration& config, std::string_view entry) {
  const std::optional<Text> account = catalogue::DeriveAccountName(config, entry);
  std::string_view root = config.AlbumSiteRoot;
  root.remove_suffix(1);
  const bool bySuffix = web::FindText(entry, config.UserSubdomainSuffix) != -1;
  const bool byRoot = web::FindText(entry, root) != -1;
  Require(account.has_value() == (bySuffix || byRoot), "entry accepted or rejected against the rules", entry);
  if (account && bySuffix) Require(IsSubstring(entry, *account), "account name is not part of the entry", entry, *account);
}

void CheckScriptAddress(std::string_view page) {
  const Text address = catalogue::AlbumListScriptAddress(page);
  Require(IsSubstring(page, address), "script address is not part of the page", page, address);
  Require(web::FindText(address, "'") == -1, "script address runs past its apostrophe", page, address);
}

// The script reads back unchanged through the code page: every field the
// engine hands back is then the script's own bytes.
bool IsPlainGbk(std::string_view text) {
  return platform::WideToMultiByte(platform::CodePageGbk, platform::MultiByteToWide(platform::CodePageGbk, text)) ==
         text;
}

// Every ASCII capital of every byte lowered. The match holds the pattern's
// literals as the script spells them, in any case; a character-wise fold
// would leave a capital that follows a lone 0x80-0xFF byte, which the fold
// takes for a lead byte, and so miss that the two agree.
Text LowerEveryByte(std::string_view text) {
  Text lowered(text);
  for (char& c : lowered) c = Fold(c);
  return lowered;
}

void CheckRecords(std::string_view script) {
  web::RegexObject regex;
  const int count = catalogue::MatchAlbumRecords(regex, script);
  Require(count >= 0 && count == regex.MatchCount(), "record count differs from the matches");
  const bool plain = IsPlainGbk(script) && script.find('\0') == std::string_view::npos;
  static const char* const literals[] = {"id:",     ",name:'", "',s:",    ",count:", ",t:",
                                         "',lurl:'", "/",      "',dmt:", "purl:'",  "'"};
  for (int i = 1; i <= count; ++i) {
    const catalogue::AlbumRecord record = catalogue::ReadAlbumRecord(regex, i);
    const Text fields[] = {record.albumId, record.name, record.countText, record.coverPath, record.photoListAddress};
    for (const Text& field : fields) {
      Require(field.find('\n') == Text::npos, "a record field spans a line break", script, field);
      if (plain) Require(IsSubstring(script, field), "a record field is not from the script", script, field);
    }
    Require(record.albumId == regex.SubMatchText(i, 1) && record.name == regex.SubMatchText(i, 2) &&
                record.countText == regex.SubMatchText(i, 4) && record.coverPath == regex.SubMatchText(i, 7) &&
                record.photoListAddress == regex.SubMatchText(i, 9),
            "record fields are not the pattern's groups", script);
    // The match is the pattern's literals with the groups between them.
    Text rebuilt = literals[0];
    for (int group = 1; group <= 9; ++group) rebuilt += regex.SubMatchText(i, group) + literals[group];
    const Text match = regex.MatchText(i);
    Require(LowerEveryByte(rebuilt) == LowerEveryByte(match), "the groups do not make up the match", match, rebuilt);
    if (plain) Require(IsSubstring(script, match), "a record is not from the script", script, match);
  }
  const catalogue::AlbumRecord outside = catalogue::ReadAlbumRecord(regex, count + 1);
  Require(outside.albumId.empty() && outside.name.empty() && outside.photoListAddress.empty(),
          "a record beyond the last one is not empty", script);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const catalogue::Configuration demo = catalogue::DemoConfiguration(18163);
  const Input in = Split(data, size);
  const catalogue::Configuration& config = in.Flag(0, 0) ? catalogue::LiveConfiguration() : demo;
  CheckAccount(config, in.Field(0));
  CheckAccount(config, web::TrimSpaces(in.Field(0)));
  CheckScriptAddress(in.Field(1));
  CheckRecords(in.Field(2));
  return 0;
}
