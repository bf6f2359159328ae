#pragma once

#include "app/model/window.h"
#include "catalogue/configuration.h"
#include "web/text.h"

#include <cstdint>

namespace download {

using catalogue::Configuration;
using web::ByteBuffer;
using web::Text;

// Downloads one album into its folder: the photo list (up to ten attempts),
// then every photo, from the fallback host after a 404. A photo that neither
// host delivers is logged and not written.
void DownloadAlbum(model::Window& window, const Configuration& config, const Text& countText,
                   const Text& photoListAddress, const Text& albumName);

// The random part of photo file names, 1 to 2000, reseeded from the clock
// before every draw with a running offset, so that two draws in the same
// millisecond differ.
class PhotoNameRandom {
public:
  int Next();
  // Reseeds from a given tick count (tests).
  int NextAt(std::uint32_t tickCount);

private:
  std::uint32_t m_offset = 0;
};

// An account name that is safe as one folder below the save root: "/", "\",
// control bytes and byte pairs that are no character of the code page become
// "_", and an empty name, "." or ".." get a "_" in front.
Text SafeFolderComponent(std::string_view name);

} // namespace download
