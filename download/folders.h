#pragma once

#include "web/text.h"

namespace download {

using web::Text;

// The album name without the characters a folder name cannot hold, stepping
// over double-byte characters whole.
Text SanitizeFolderName(std::string_view name);
// Creates every folder along path (a GBK path with "\" separators); 1 when
// they all exist afterwards, 0 otherwise.
int EnsureDirectory(std::string_view path);

} // namespace download
