#pragma once

#include "app/model/window.h"
#include "catalogue/configuration.h"

#include <optional>

namespace catalogue {

// Columns of the album list.
enum AlbumColumn {
  ColumnCheck = 0,
  ColumnNumber = 1,
  ColumnName = 2,
  ColumnCover = 3,
  ColumnCount = 4,
  ColumnAlbumId = 5,
  ColumnAccess = 6,
  ColumnPhotoList = 7,
};

inline constexpr int ThumbnailSize = 100;

// The thumbnails of one album-list run: 100 x 100 pictures, white transparent.
model::ImageList NewThumbnailList();

// Fetches a cover and adds its 100 x 100 thumbnail to the run's list, which
// then becomes the album list's small-image list. The surface is not cleared,
// so a cover that could not be drawn repeats the previous thumbnail. Returns
// the new picture's index, -1 when none could be added.
int AddCoverThumbnail(model::Window& window, const Configuration& config, model::ImageList& thumbnails,
                      const Text& coverAddress);

// Appends an album row; it starts ticked exactly when it has a photo-list
// address. Returns the row's number from 0.
int AddAlbumRow(model::Window& window, const Text& albumId, const Text& name, const Text& countText,
                const Text& photoListAddress, std::optional<int> picture);

// Click handlers of the two check boxes above the list, and of a row's own
// check box (row from 0, its new state).
void SelectAllRows(model::Window& window);
void InvertRows(model::Window& window);
void SelectToggledRow(model::Window& window, int row, int state);

} // namespace catalogue
