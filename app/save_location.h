#pragma once

#include "app/model/window.h"
#include "app/shell.h"

namespace app {

// This system's stand-in for the drive root the picker opens on.
inline constexpr const char* FileSystemRoot = "/";

// Click of "选择存放位置": the chosen folder goes into the save location box;
// a cancelled picker leaves the program directory there.
void ChooseSaveLocation(model::Window& window, const Shell& shell);

// Click of "打开目录": opens the save location, or the program directory when
// the box is empty, in the file manager.
void OpenSaveLocation(model::Window& window, const Shell& shell);

// Stores the start folder as the Picker start folder, asks the user for a
// folder and returns it trimmed; empty on cancel.
platform::Text BrowseForFolder(model::AppState& state, const Shell& shell, const platform::Text& title,
                               const platform::Text& startFolder);

} // namespace app
