#include "catalogue/records.h"

#include "web/text.h"

namespace catalogue {

std::optional<Text> DeriveAccountName(const Configuration& config, std::string_view entry) {
  if (web::FindText(entry, config.UserSubdomainSuffix) != -1) {
    return web::GetMiddleText(entry, "http://", config.UserSubdomainSuffix);
  }
  std::string_view rootWithoutSlash = config.AlbumSiteRoot;
  if (rootWithoutSlash.ends_with('/')) rootWithoutSlash.remove_suffix(1);
  if (!rootWithoutSlash.empty() && web::FindText(entry, rootWithoutSlash) != -1) {
    Text name = web::GetMiddleText(entry, config.AlbumSiteRoot, "/");
    if (name.empty()) name = web::RemoveText(entry, config.AlbumSiteRoot);
    return name;
  }
  return std::nullopt;
}

Text AlbumListScriptAddress(std::string_view homePage) { return web::GetMiddleText(homePage, "albumUrl : '", "'"); }

int MatchAlbumRecords(web::RegexObject& regex, std::string_view script) {
  regex.Create(AlbumRecordPattern, script);
  return regex.MatchCount();
}

AlbumRecord ReadAlbumRecord(const web::RegexObject& regex, int i) {
  return AlbumRecord{
      regex.SubMatchText(i, 1), regex.SubMatchText(i, 2), regex.SubMatchText(i, 4),
      regex.SubMatchText(i, 7), regex.SubMatchText(i, 9),
  };
}

} // namespace catalogue
