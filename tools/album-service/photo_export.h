#pragma once

#include "tools/album-service/service_data.h"

#include <filesystem>
#include <string>

namespace album_service {

// Writes every photo to dir/<account>/<album id>/<file name> and a
// manifest.tsv beside them: one line per photo with its account, album, its
// position in the photo list, its size and the host that serves it ("img1",
// "img2" or "none"), so that downloads can be checked byte for byte.
// Returns false, with a reason in error, when a file cannot be written.
bool ExportPhotos(const ServiceData& data, const std::filesystem::path& dir, std::string& error);

} // namespace album_service
