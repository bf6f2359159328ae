#pragma once

#include "catalogue/configuration.h"
#include "web/regex_object.h"

#include <optional>
#include <string_view>

// How the account box entry, the account's home page and its album-list
// script are read.
namespace catalogue {

// One album as the album-list script describes it, every field GBK exactly
// as captured (not trimmed, not unescaped).
struct AlbumRecord {
  Text albumId;
  Text name;
  Text countText;
  Text coverPath;
  Text photoListAddress;  // without scheme; empty when the service names none
};

// One record of the album-list script; "." stops at a line break, so a record
// broken across lines does not match.
inline constexpr std::string_view AlbumRecordPattern =
    R"(id:(.*?),name:'(.*?)',s:(.*?),count:(.*?),t:(.*?)',lurl:'(.*?)\/(.*?)',dmt:(.*?)purl:'(.*?)')";

// The account name from a trimmed entry in the per-user subdomain form or the
// path form of a home-page address; nullopt when the entry is neither. An
// accepted entry may still give an empty name.
std::optional<Text> DeriveAccountName(const Configuration& config, std::string_view entry);

// The album-list script's address as the home page names it; empty when it
// names none.
Text AlbumListScriptAddress(std::string_view homePage);

// Matches every album record of the script; the number of records.
int MatchAlbumRecords(web::RegexObject& regex, std::string_view script);
// Record i, from 1 to the number MatchAlbumRecords gave.
AlbumRecord ReadAlbumRecord(const web::RegexObject& regex, int i);

} // namespace catalogue
