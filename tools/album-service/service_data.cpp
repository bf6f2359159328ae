#include "tools/album-service/service_data.h"

#include "tools/album-service/jpeg_maker.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>

namespace album_service {
namespace {

template <typename Accounts> auto* FindAccountIn(Accounts& accounts, const std::string& name) {
  for (auto& account : accounts)
    if (account.name == name) return &account;
  return static_cast<decltype(&accounts.front())>(nullptr);
}

void ReadSize(Photo& photo) {
  QByteArray bytes = QByteArray::fromRawData(photo.bytes.data(), static_cast<qsizetype>(photo.bytes.size()));
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return;
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (size.isValid()) {
    photo.width = size.width();
    photo.height = size.height();
  }
}

std::uint32_t CoverSeed(std::int64_t albumId) { return static_cast<std::uint32_t>(albumId * 7 + 3); }
std::uint32_t PhotoSeed(std::int64_t albumId, int index) { return static_cast<std::uint32_t>(albumId * 100 + index); }

std::string CoverFor(std::int64_t albumId) { return GenerateJpeg(200, 150, CoverSeed(albumId)); }

struct PhotoPlan {
  int width;
  int height;
  const char* description;
  bool onPrimary = true;
  bool onFallback = true;
};

struct AlbumPlan {
  std::int64_t id;
  const char* name;
  const char* t;
  std::vector<PhotoPlan> photos;
  bool photoListOpen = true;
  const char* accessPassword = "";
  bool coverOnPrimary = true;
};

struct JpegJob {
  int width;
  int height;
  std::uint32_t seed;
};

// Encoding forty pictures one after the other is most of the time a test
// program spends before its first request; the cores share it.
std::vector<std::string> GenerateAll(const std::vector<JpegJob>& jobs) {
  std::vector<std::string> results(jobs.size());
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++)
      results[i] = GenerateJpeg(jobs[i].width, jobs[i].height, jobs[i].seed);
  };
  const unsigned helpers = std::clamp(std::thread::hardware_concurrency(), 1U, 4U) - 1;
  std::vector<std::thread> threads;
  for (unsigned i = 0; i < helpers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  return results;
}

std::vector<Album> BuildAlbums(const std::string& account, const std::vector<AlbumPlan>& plans) {
  std::vector<JpegJob> jobs;
  for (const AlbumPlan& plan : plans) {
    jobs.push_back({200, 150, CoverSeed(plan.id)});
    int index = 0;
    for (const PhotoPlan& p : plan.photos) jobs.push_back({p.width, p.height, PhotoSeed(plan.id, ++index)});
  }
  std::vector<std::string> bytes = GenerateAll(jobs);

  std::vector<Album> albums;
  std::size_t job = 0;
  for (const AlbumPlan& plan : plans) {
    Album album;
    album.id = plan.id;
    album.name = plan.name;
    album.t = plan.t;
    album.coverPath = "cover/" + std::to_string(plan.id) + ".jpg";
    album.coverBytes = std::move(bytes[job++]);
    album.coverOnPrimary = plan.coverOnPrimary;
    album.photoListOpen = plan.photoListOpen;
    album.accessPassword = plan.accessPassword;
    int index = 0;
    for (const PhotoPlan& p : plan.photos) {
      Photo photo = MakePhoto(account, plan.id, ++index, std::move(bytes[job++]));
      photo.description = p.description;
      photo.onPrimary = p.onPrimary;
      photo.onFallback = p.onFallback;
      album.photos.push_back(std::move(photo));
    }
    album.count = std::to_string(album.photos.size());
    albums.push_back(std::move(album));
  }
  return albums;
}

ServiceData BuildDemoData() {
  ServiceData data;
  data.users = {{"demo", "demo123"}, {"friend", "friend123"}};

  // clang-format off
  Account demo{"demo", "demo", true, {}};
  const std::vector<AlbumPlan> demoAlbums = {
      {1001, "西湖春游", "2015-04-03",
       {{1024, 768, "断桥"}, {800, 600, "苏堤春晓"}, {1200, 900, "雷峰塔"},
        {640, 480, "三潭印月"}, {1024, 683, "柳浪闻莺"}, {768, 1024, "平湖秋月"}}},
      {.id = 1002, .name = "家乡的老房子", .t = "2014-10-01",
       .photos = {{800, 600, "老屋正门"}, {1024, 768, "天井"},
                  {.width = 640, .height = 480, .description = "灶台", .onPrimary = false},
                  {600, 800, "木窗"},
                  {.width = 800, .height = 600, .description = "院子里的井", .onPrimary = false},
                  {1024, 768, "屋檐"},
                  {.width = 640, .height = 480, .description = "祖父的椅子", .onPrimary = false},
                  {800, 533, "门前小河"}},
       .coverOnPrimary = false},
      {.id = 1003, .name = "毕业照（2015）", .t = "2015-06-28",
       .photos = {{1200, 800, "全班合影"}, {800, 600, "学士帽"}, {1024, 768, "图书馆前"},
                  {640, 480, "宿舍"}, {900, 1200, "告别"}},
       .photoListOpen = false, .accessPassword = "1234"},
      {1004, "猫咪日常", "2015-09-12",
       {{640, 480, "晒太阳"}, {800, 600, "打哈欠"}, {600, 800, "纸箱"},
        {4000, 3000, "窗台（原图）"}, {640, 480, "追尾巴"}, {800, 600, "睡午觉"},
        {1024, 768, "偷吃鱼干"}, {640, 640, "伸懒腰"},
        {.width = 800, .height = 600, .description = "不见了", .onPrimary = false, .onFallback = false},
        {640, 480, "看窗外"}, {800, 600, "抓沙发"}, {1024, 768, "晚安"}}},
      {1005, "旅行·云南", "2015-11-02",
       {{1200, 800, "丽江古城"}, {1024, 768, "玉龙雪山"}, {1200, 675, "洱海日出"}}},
  };

  Account friendAccount{"friend", "friend", false, {}};
  const std::vector<AlbumPlan> friendAlbums = {
      {2001, "朋友的聚会", "2015-08-15",
       {{800, 600, "生日蛋糕"}, {1024, 768, "干杯"}, {640, 480, "唱歌"}, {800, 600, "散场"}}},
      {.id = 2002, .name = "私密相册", .t = "2015-10-20",
       .photos = {{800, 600, "日记一"}, {800, 600, "日记二"}, {640, 480, "日记三"}},
       .photoListOpen = false, .accessPassword = "5678"},
  };
  // clang-format on
  demo.albums = BuildAlbums(demo.name, demoAlbums);
  friendAccount.albums = BuildAlbums(friendAccount.name, friendAlbums);
  data.accounts = {std::move(demo), std::move(friendAccount)};
  return data;
}

} // namespace

const User* ServiceData::FindUser(const std::string& name) const {
  for (const User& user : users)
    if (user.name == name) return &user;
  return nullptr;
}

const Account* ServiceData::FindAccount(const std::string& name) const { return FindAccountIn(accounts, name); }

Account* ServiceData::FindAccount(const std::string& name) { return FindAccountIn(accounts, name); }

const Album* ServiceData::FindAlbum(std::int64_t id, const Account** account) const {
  for (const Account& a : accounts)
    for (const Album& album : a.albums)
      if (album.id == id) {
        if (account) *account = &a;
        return &album;
      }
  return nullptr;
}

Album* ServiceData::FindAlbum(std::int64_t id) { return const_cast<Album*>(std::as_const(*this).FindAlbum(id)); }

const Album* ServiceData::FindAlbumByCover(const std::string& coverPath) const {
  for (const Account& a : accounts)
    for (const Album& album : a.albums)
      if (!album.coverPath.empty() && album.coverPath == coverPath) return &album;
  return nullptr;
}

const Photo* ServiceData::FindPhoto(const std::string& path) const {
  for (const Account& a : accounts)
    for (const Album& album : a.albums)
      for (const Photo& photo : album.photos)
        if (photo.path == path) return &photo;
  return nullptr;
}

ServiceData DemoData() {
  static const ServiceData demo = BuildDemoData();
  return demo;
}

Photo MakePhoto(const std::string& account, std::int64_t albumId, int index, std::string bytes) {
  Photo photo;
  photo.path = "/photo/" + account + "/" + std::to_string(albumId) + "/" + std::to_string(index) + ".jpg";
  photo.bytes = std::move(bytes);
  ReadSize(photo);
  return photo;
}

Album AlbumWithPhotos(std::int64_t id, std::string name, const std::string& account,
                      std::vector<std::string> photoBytes) {
  Album album;
  album.id = id;
  album.name = std::move(name);
  album.t = "2015-01-01";
  album.coverPath = "cover/" + std::to_string(id) + ".jpg";
  album.coverBytes = CoverFor(id);
  int index = 0;
  for (std::string& bytes : photoBytes) album.photos.push_back(MakePhoto(account, id, ++index, std::move(bytes)));
  album.count = std::to_string(album.photos.size());
  return album;
}

Album AlbumWithPhotos(std::int64_t id, std::string name, const std::string& account, int count) {
  std::vector<std::string> bytes;
  for (int i = 1; i <= count; ++i)
    bytes.push_back(GenerateJpeg(64 + 8 * (i % 4), 48 + 6 * (i % 3), static_cast<std::uint32_t>(id * 1000 + i)));
  return AlbumWithPhotos(id, std::move(name), account, std::move(bytes));
}

Account AccountWithAlbums(std::string name, std::string owner, int albumCount, int photosPerAlbum,
                          std::int64_t firstId) {
  Account account{std::move(name), std::move(owner), false, {}};
  for (int i = 0; i < albumCount; ++i)
    account.albums.push_back(
        AlbumWithPhotos(firstId + i, "相册" + std::to_string(i + 1), account.name, photosPerAlbum));
  return account;
}

} // namespace album_service
