#pragma once

#include <cstdint>
#include <string>

namespace album_service {

// A real, decodable JPEG of the given size: a colour gradient with rings and
// a little grain, all derived from the seed, so the same inputs always give
// the same bytes. The grain keeps large pictures large on the wire (a
// 4000 x 3000 picture is a few megabytes). Empty on failure.
std::string GenerateJpeg(int width, int height, std::uint32_t seed, int quality = 85);

} // namespace album_service
