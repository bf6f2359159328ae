#pragma once

#include "app/handlers.h"
#include "catalogue/configuration.h"

namespace app {

// The album list's and the download's handlers for one deployment.
Handlers AlbumHandlers(const catalogue::Configuration& config);

} // namespace app
