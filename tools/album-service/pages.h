#pragma once

#include "tools/album-service/service_data.h"

#include <string>
#include <vector>

// The texts the stand-in service answers with, all in UTF-8; the service
// converts the ones the real service sends as GBK.
namespace album_service::pages {

struct AccountLink {
  std::string name;
  std::string url;
};

// What the album page's script needs to know about one album for this visitor.
struct AlbumView {
  const Album* album;
  bool granted; // the visitor owns the album or holds its access cookie
};

std::string SignInPage(const std::string& signedInUser, bool failed, const std::vector<AccountLink>& accounts);
std::string AccountPage(const Account& account, const std::string& albumListUrl, const std::vector<AlbumView>& albums);
std::string SignInRequiredPage(const Account& account, const std::string& signInUrl);
std::string AccessPage(const Account& account, const Album& album, bool granted);
std::string AlbumListScript(const Account& account, const std::vector<std::string>& photoListAddresses);
std::string PhotoListScript(const Album& album);
std::string DwrResult(const std::string& batchId, const std::string& value);
std::string DwrError(const std::string& batchId, const std::string& message);
std::string ErrorPage(int status, const std::string& message);
std::string VersionPage(const std::string& version);
std::string MakerPage(const std::string& version);
std::string ChatPage();
std::string NotAPicturePage();

} // namespace album_service::pages
