#pragma once

#include "app/model/memory_backend.h"
#include "app/model/window.h"
#include "tests/support/pictures.h"

namespace testing_support {

// The window's controls in memory with the shared state and worker owner,
// as handlers and workers see them in the program.
struct MemoryWindow {
  model::MemoryBackend backend{TestPictureDecoder()};
  model::Controls ui{backend};
  model::AppState state;
  platform::Workers workers;
  model::Window window{ui, state, workers};

  ~MemoryWindow() { workers.StopAndJoin(); }
};

} // namespace testing_support
