#pragma once

#include "app/handlers.h"
#include "catalogue/configuration.h"

namespace app {

// Before the application object exists: what the embedded browser needs.
void PrepareProcess();
// Once it exists: the default GUI font (with Chinese glyphs) and the pump
// that lets the GUI thread's paced waits keep the window alive.
void SetUpApplication();

// The whole program for one deployment: the window, its message loop, and
// the shared state released at the end.
int RunProgram(int argc, char** argv, const catalogue::Configuration& config, Handlers handlers);

} // namespace app
