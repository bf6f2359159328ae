#pragma once

#include "app/model/window.h"
#include "catalogue/configuration.h"
#include "web/text.h"

#include <vector>

namespace download {

using catalogue::Configuration;
using web::ByteBuffer;
using web::Text;

// The button trio: start a run, pause it, continue it. Exactly one of the
// three buttons is visible at any time.
void StartDownload(model::Window& window, const Configuration& config);
void PauseDownload(model::Window& window);
void ContinueDownload(model::Window& window);

// The download worker: ticked rows become jobs, each downloaded in turn.
void DownloadSelected(model::Window& window, const Configuration& config);

// A job's parts: the text before the first "--@@--", between the first and
// the second, and after the second up to a third one; an empty last part
// does not count.
std::vector<Text> CutJob(const Text& job);

} // namespace download
