#include "app/album_handlers.h"

#include "catalogue/album_access.h"
#include "catalogue/album_list.h"
#include "catalogue/album_rows.h"
#include "download/download_jobs.h"

#include <memory>

namespace app {

Handlers AlbumHandlers(const catalogue::Configuration& config) {
  // Shared, so that workers started by a handler keep a configuration that
  // lives as long as the handlers do.
  auto shared = std::make_shared<const catalogue::Configuration>(config);
  Handlers handlers;
  handlers.StartAlbumFetch = [shared](model::Window& w) { catalogue::StartAlbumFetch(w, *shared); };
  handlers.RequestAlbumAccess = [shared](model::Window& w) { catalogue::RequestAlbumAccess(w, *shared); };
  handlers.ConfirmAlbumAccess = [shared](model::Window& w) { catalogue::ConfirmAlbumAccess(w, *shared); };
  handlers.SelectToggledRow = [](model::Window& w, int row, int state) { catalogue::SelectToggledRow(w, row, state); };
  handlers.SelectAllRows = [](model::Window& w) { catalogue::SelectAllRows(w); };
  handlers.InvertRows = [](model::Window& w) { catalogue::InvertRows(w); };
  handlers.StartDownload = [shared](model::Window& w) { download::StartDownload(w, *shared); };
  handlers.PauseDownload = [](model::Window& w) { download::PauseDownload(w); };
  handlers.ContinueDownload = [](model::Window& w) { download::ContinueDownload(w); };
  return handlers;
}

} // namespace app
