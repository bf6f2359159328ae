#pragma once

#include "app/model/memory_backend.h"

namespace testing_support {

// Decodes JPEG, PNG and the other formats the GUI toolkit reads, for the
// in-memory drawing surface. Without the toolkit it decodes nothing.
model::PictureDecoder TestPictureDecoder();

} // namespace testing_support
