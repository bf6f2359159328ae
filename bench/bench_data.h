#pragma once

#include "tools/album-service/service_data.h"

#include <cstddef>
#include <cstdint>
#include <string>

// What the stand-in service serves during one benchmark run, generated once
// per run: real JPEGs of the sizes asked for.
namespace bench {

inline constexpr const char* BenchUser = "bench";
inline constexpr const char* BenchAccount = "bench";
inline constexpr std::int64_t ManyPhotosAlbum = 5001;
inline constexpr std::int64_t LargePhotoAlbum = 5002;
inline constexpr std::int64_t GuiAlbum = 5003;

struct DataPlan {
  int manyPhotos = 200;
  std::size_t manyPhotoBytes = 200 * 1000;
  std::size_t largePhotoBytes = 50 * 1000 * 1000;
  int guiPhotos = 10;
  std::size_t guiPhotoBytes = 8 * 1000 * 1000;
  // Accounts named "list<records>" with that many albums, no covers.
  std::vector<int> listings = {200, 2000};
};

album_service::ServiceData MakeBenchData(const DataPlan& plan);

std::string ListingAccount(int records);

} // namespace bench
