#pragma once

#include "app/model/app_state.h"
#include "app/model/controls.h"
#include "platform/workers.h"

namespace model {

// What every handler and worker reaches: the controls, the shared state and
// the owner of the worker threads.
struct Window {
  Controls& ui;
  AppState& state;
  platform::Workers& workers;
};

} // namespace model
