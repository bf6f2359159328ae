#pragma once

#include <cstdint>
#include <vector>

namespace model {

// A decoded picture as 32-bit ARGB pixels, row by row. It carries thumbnails
// between the drawing surface, the image list and the list view without
// tying the core to a GUI toolkit.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  bool IsNull() const { return width <= 0 || height <= 0; }
  bool operator==(const Picture&) const = default;
};

// An image list: pictures of one size that share a transparent colour.
struct ImageList {
  int width = 0;
  int height = 0;
  std::uint32_t transparentColour = 0xFFFFFFFF;
  std::vector<Picture> pictures;
};

} // namespace model
