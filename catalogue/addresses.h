#pragma once

#include "catalogue/configuration.h"
#include "web/text.h"

#include <string_view>

// Every address at which the program reaches the album service. The account
// name and the album ID go in as they stand, without escaping.
namespace catalogue {

// AlbumSiteRoot + account + "/#m=0&p=1".
Text AccountHomePageAddress(const Configuration& config, std::string_view account);
// AlbumSiteRoot + account + "/#m=1&aid=" + album ID + "&p=1".
Text AlbumPageAddress(const Configuration& config, std::string_view account, std::string_view albumId);
// The service's remote call that names an album's photo list; only the album
// ID varies, every other parameter is fixed.
Text AlbumDataCallAddress(const Configuration& config, std::string_view albumId);

// The Album-data result stands between these two markers in the call's reply
// (cut out with web::GetMiddleText).
inline constexpr std::string_view AlbumDataResultLeft = "dwr.engine._remoteHandleCallback('530377','0',\"";
inline constexpr std::string_view AlbumDataResultRight = "\");";

// "http://" + CoverHostPrimary + "/" + cover path.
Text CoverAddress(const Configuration& config, std::string_view coverPath);
// The cover address with every CoverHostPrimary (exact case) replaced by
// CoverHostFallback.
Text CoverFallbackAddress(const Configuration& config, std::string_view coverAddress);

// "http://" + the photo-list address, which the service gives without scheme.
Text PhotoListAddress(std::string_view photoListAddress);
// The photo address loses its first byte; the primary host gets a "/" in
// between, the fallback host none.
Text PhotoAddress(const Configuration& config, std::string_view photoAddress);
Text PhotoFallbackAddress(const Configuration& config, std::string_view photoAddress);

} // namespace catalogue
