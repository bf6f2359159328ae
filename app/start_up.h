#pragma once

#include "app/model/window.h"
#include "catalogue/configuration.h"

#include <functional>

namespace app {

inline constexpr int ProgramSkin = 13;

// The created notification of the main window, run while it is still hidden:
// skin, save location, a two-second wait, then the start page on a worker.
void InitialiseMainWindow(model::Window& window, const catalogue::Configuration& config,
                          const std::function<void(int)>& applySkin, const platform::Text& programDirectory);

// The start-page worker: points the browser at the album site, then waits.
void OpenStartPage(model::Window& window, const platform::Text& startPage);

// At program end.
void ReleaseSharedState(model::AppState& state);

// The GUI thread's pump for the paced wait: a nested event loop until the
// time is up, so the window keeps repainting and its buttons keep working.
void InstallQtGuiPump();

} // namespace app
