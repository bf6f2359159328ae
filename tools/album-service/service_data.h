#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the stand-in album service serves: users, accounts, albums, photos and
// covers. Texts are UTF-8 here; the service converts them where the real
// service speaks GBK.
namespace album_service {

struct User {
  std::string name;
  std::string password;
};

struct Photo {
  std::string path;  // "/photo/demo/1001/1.jpg", as the fallback host serves it
  std::string bytes; // the JPEG
  int width = 0;
  int height = 0;
  std::string description;
  bool onPrimary = true;  // img1 serves "/" + path
  bool onFallback = true; // img2 serves path
};

struct Album {
  std::int64_t id = 0;
  std::string name;
  std::string count;     // the record's count value, normally the number of photos
  std::string t;         // the record's t value, a date
  std::string coverPath; // "cover/1001.jpg": the cover hosts serve "/" + coverPath
  std::string coverBytes;
  bool coverOnPrimary = true;
  bool coverOnFallback = true;
  bool photoListOpen = true;  // false: the record's purl is empty
  std::string accessPassword; // opens the album on its page; empty: no password does
  std::vector<Photo> photos;
};

struct Account {
  std::string name;
  std::string owner; // a User's name
  bool homeNeedsSignIn = false;
  std::vector<Album> albums;
};

struct ServiceData {
  std::vector<User> users;
  std::vector<Account> accounts;
  std::string makerVersion = "20151130";

  const User* FindUser(const std::string& name) const;
  const Account* FindAccount(const std::string& name) const;
  // Album ids are unique across accounts.
  const Album* FindAlbum(std::int64_t id, const Account** account = nullptr) const;
  const Album* FindAlbumByCover(const std::string& coverPath) const;
  const Photo* FindPhoto(const std::string& path) const;
  Account* FindAccount(const std::string& name);
  Album* FindAlbum(std::int64_t id);
};

// The demo: user "demo" (password "demo123") with the account "demo", whose
// home page needs sign-in, and user "friend" (password "friend123") with the
// account "friend". Built once per process; every call returns the same data.
//
//   1001 西湖春游        6 photos
//   1002 家乡的老房子    8 photos, 3, 5 and 7 only on the fallback host; cover only on cover2
//   1003 毕业照（2015）  5 photos, no purl, access password "1234"
//   1004 猫咪日常       12 photos, 4 is 4000 x 3000, 9 on neither host
//   1005 旅行·云南       3 photos
//   2001 朋友的聚会      4 photos  (friend)
//   2002 私密相册        3 photos, no purl, access password "5678" (friend)
ServiceData DemoData();

// Builders for test data. Photos get paths "/photo/<account>/<id>/<n>.jpg",
// covers "cover/<id>.jpg"; everything is on both hosts and the list is open.
Photo MakePhoto(const std::string& account, std::int64_t albumId, int index, std::string bytes);
Album AlbumWithPhotos(std::int64_t id, std::string name, const std::string& account,
                      std::vector<std::string> photoBytes);
// count small generated JPEGs, distinct per album and index.
Album AlbumWithPhotos(std::int64_t id, std::string name, const std::string& account, int count);
// albumCount albums "相册1", "相册2", ... with ids firstId, firstId + 1, ...
Account AccountWithAlbums(std::string name, std::string owner, int albumCount, int photosPerAlbum,
                          std::int64_t firstId = 1001);

} // namespace album_service
