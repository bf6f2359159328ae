#pragma once

#include "app/model/memory_backend.h"
#include "app/model/window.h"
#include "tests/support/pictures.h"

namespace testing_support {

// Every text written to a control (set or appended), in order.
inline std::vector<platform::Text> TextsWritten(const model::MemoryBackend& backend, std::string_view control) {
  std::vector<platform::Text> texts;
  for (const auto& event : backend.EventsOf(control)) {
    if (event.action == "SetText" || event.action == "AppendText") texts.push_back(event.text);
  }
  return texts;
}

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
