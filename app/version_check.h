#pragma once

#include "app/model/window.h"
#include "app/shell.h"
#include "catalogue/configuration.h"

namespace app {

// Click of "检测程序是否有更新": asks the maker's version endpoint for the
// latest version and says whether it is newer than the one shown.
void CheckForUpdate(model::Window& window, const catalogue::Configuration& config);

// The maker's page (left button pressed on the link label) and support chat.
void OpenMakerPage(const Shell& shell, const catalogue::Configuration& config);
void OpenSupportChat(const Shell& shell, const catalogue::Configuration& config);

} // namespace app
