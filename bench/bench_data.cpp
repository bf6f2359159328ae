#include "bench/bench_data.h"

#include "tools/album-service/jpeg_maker.h"

#include <algorithm>
#include <cmath>

namespace bench {
namespace {

std::string JpegOfPixels(double pixels, std::uint32_t seed, int quality) {
  const int width = std::max(8, static_cast<int>(std::lround(std::sqrt(pixels * 4.0 / 3.0))));
  const int height = std::max(6, width * 3 / 4);
  return album_service::GenerateJpeg(width, height, seed, quality);
}

// The pixel count that gives a picture of about targetBytes: from a small
// sample's bytes per pixel, corrected twice against full-size pictures (the
// bytes per pixel fall a little as the picture grows).
double PixelsFor(std::size_t targetBytes, std::uint32_t seed, int quality) {
  const double samplePixels = 400.0 * 300.0;
  const std::string sample = JpegOfPixels(samplePixels, seed, quality);
  double pixels = static_cast<double>(targetBytes) * samplePixels /
                  static_cast<double>(std::max<std::size_t>(1, sample.size()));
  for (int correction = 0; correction < 2; ++correction) {
    const std::string full = JpegOfPixels(pixels, seed, quality);
    pixels *= static_cast<double>(targetBytes) / static_cast<double>(std::max<std::size_t>(1, full.size()));
  }
  return pixels;
}

album_service::Album AlbumOf(std::int64_t id, const std::string& name, int photos, std::size_t photoBytes,
                             int quality) {
  // One pixel count for the whole album; the seeds vary the pictures, whose
  // sizes stay within a few per cent of each other.
  const double pixels = PixelsFor(photoBytes, static_cast<std::uint32_t>(id * 1000 + 1), quality);
  std::vector<std::string> bytes;
  for (int i = 1; i <= photos; ++i)
    bytes.push_back(JpegOfPixels(pixels, static_cast<std::uint32_t>(id * 1000 + i), quality));
  album_service::Album album = album_service::AlbumWithPhotos(id, name, BenchAccount, std::move(bytes));
  album.coverBytes.clear();
  return album;
}

} // namespace

std::string ListingAccount(int records) { return "list" + std::to_string(records); }

album_service::ServiceData MakeBenchData(const DataPlan& plan) {
  album_service::ServiceData data;
  data.users = {{BenchUser, "bench123"}};
  album_service::Account account{BenchAccount, BenchUser, false, {}};
  account.albums.push_back(AlbumOf(ManyPhotosAlbum, "many", plan.manyPhotos, plan.manyPhotoBytes, 85));
  account.albums.push_back(AlbumOf(LargePhotoAlbum, "large", 1, plan.largePhotoBytes, 100));
  account.albums.push_back(AlbumOf(GuiAlbum, "gui", plan.guiPhotos, plan.guiPhotoBytes, 95));
  data.accounts.push_back(std::move(account));

  for (const int records : plan.listings) {
    album_service::Account listing{ListingAccount(records), BenchUser, false, {}};
    for (int i = 0; i < records; ++i) {
      album_service::Album album;
      album.id = 100000 * static_cast<std::int64_t>(records) + i;
      album.name = "相册" + std::to_string(i + 1);
      album.count = std::to_string(1 + i % 97);
      album.t = "2015-01-01";
      album.coverPath = "cover/" + std::to_string(album.id) + ".jpg";
      listing.albums.push_back(std::move(album));
    }
    data.accounts.push_back(std::move(listing));
  }
  return data;
}

} // namespace bench
