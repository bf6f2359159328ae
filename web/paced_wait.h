#pragma once

#include <chrono>
#include <functional>

namespace web {

// Waits duration units (0 ms, 1 s, 2 min, 3 h) while the calling thread keeps
// handling what arrives for it: on the GUI thread the installed pump runs a
// nested event loop until the time is up; elsewhere the thread sleeps without
// spinning, honouring its pause gate and the program's stop. Returns true.
bool PacedWait(long long duration, int unit = 0);

// The GUI thread's pump: isGuiThread tells whether the calling thread is the
// GUI thread, pump runs its events for the given time.
struct GuiPump {
  std::function<bool()> isGuiThread;
  std::function<void(std::chrono::milliseconds)> pump;
};
void InstallGuiPump(GuiPump pump);

// Tests shorten every wait: each duration is multiplied by scale (1 restores).
void SetPacedWaitScale(double scale);

} // namespace web
