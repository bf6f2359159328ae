#include "catalogue/addresses.h"

#include "web/text.h"

namespace catalogue {
namespace {

Text Join(std::initializer_list<std::string_view> pieces) {
  Text result;
  for (std::string_view piece : pieces) result.append(piece);
  return result;
}

std::string_view WithoutFirstByte(std::string_view text) { return text.empty() ? text : text.substr(1); }

} // namespace

Text AccountHomePageAddress(const Configuration& config, std::string_view account) {
  return Join({config.AlbumSiteRoot, account, "/#m=0&p=1"});
}

Text AlbumPageAddress(const Configuration& config, std::string_view account, std::string_view albumId) {
  return Join({config.AlbumSiteRoot, account, "/#m=1&aid=", albumId, "&p=1"});
}

Text AlbumDataCallAddress(const Configuration& config, std::string_view albumId) {
  return Join({config.AlbumSiteRoot,
               "photo/wkorvental/dwr/call/plaincall/AlbumBean.getAlbumData.dwr?callCount=1"
               "&scriptSessionId=%24%7BscriptSessionId%7D187&c0-scriptName=AlbumBean"
               "&c0-methodName=getAlbumData&c0-id=0&c0-param0=number%3A",
               albumId,
               "&c0-param1=string%3A&c0-param2=string%3Afromblog&c0-param3=string%3A24881696"
               "&c0-param4=boolean%3Afalse&batchId=530377"});
}

Text CoverAddress(const Configuration& config, std::string_view coverPath) {
  return Join({"http://", config.CoverHostPrimary, "/", coverPath});
}

Text CoverFallbackAddress(const Configuration& config, std::string_view coverAddress) {
  return web::ReplaceText(coverAddress, config.CoverHostPrimary, config.CoverHostFallback);
}

Text PhotoListAddress(std::string_view photoListAddress) { return Join({"http://", photoListAddress}); }

Text PhotoAddress(const Configuration& config, std::string_view photoAddress) {
  return Join({"http://", config.PhotoHostPrimary, "/", WithoutFirstByte(photoAddress)});
}

Text PhotoFallbackAddress(const Configuration& config, std::string_view photoAddress) {
  return Join({"http://", config.PhotoHostFallback, WithoutFirstByte(photoAddress)});
}

} // namespace catalogue
