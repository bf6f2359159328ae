#pragma once

#include "app/model/window.h"
#include "catalogue/configuration.h"

namespace catalogue {

// Click handler of the fetch button: captures the browser's document cookie
// and starts the album-list worker. The button stays disabled until that
// worker ends, so two runs never fill the list together.
void StartAlbumFetch(model::Window& window, const Configuration& config);

// The album-list worker: one run from the account box to a filled list.
void FetchAlbumList(model::Window& window, const Configuration& config);

// The Album-data call: the photo-list address of an album, empty when the
// service did not name one. Goes with the shared cookie store's cookies.
Text ResolveAlbumDataUrl(const Configuration& config, const Text& albumId);

// For an own album without photo-list address: opens its page in the
// browser, then asks the Album-data call.
Text ResolveOwnAlbum(model::Window& window, const Configuration& config, const Text& albumId);

} // namespace catalogue
