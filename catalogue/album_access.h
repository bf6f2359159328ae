#pragma once

#include "app/model/window.h"
#include "catalogue/configuration.h"

namespace catalogue {

// Double-click on the album list: a row that still lacks its photo-list
// address opens its album page in the sign-in browser and waits there.
void RequestAlbumAccess(model::Window& window, const Configuration& config);

// The access-confirmation button: asks the Album-data call again and writes
// the address into the pending row.
void ConfirmAlbumAccess(model::Window& window, const Configuration& config);

} // namespace catalogue
