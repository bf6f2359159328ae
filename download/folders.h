#pragma once

#include "web/text.h"

namespace download {

using web::Text;

// The album name without the characters a folder name cannot hold, stepping
// over double-byte characters whole.
Text SanitizeFolderName(std::string_view name);

// True when the character that begins at index i (by the GBK rule) is one the
// code page reads as that one character: a single byte below 0x80, or a lead
// byte and its second byte that convert to one character and back. A lead
// byte without a second byte, or a pair such as 80 2F that converts as two
// characters, is not.
bool IsWholeCharacter(std::string_view text, std::size_t i);
// The sanitized album name followed directly by the photo count text.
Text AlbumFolderName(std::string_view albumName, std::string_view countText);

// The save location box's text as typed, or the program's folder when empty.
Text SaveRoot(std::string_view saveBoxText);
// Save root \ account \ album folder name: the one place where the account
// name becomes part of a path.
Text AlbumFolderPath(std::string_view saveRoot, std::string_view accountName, std::string_view albumFolderName);

// Creates every folder along path (a GBK path with "\" separators); 1 when
// they all exist afterwards, 0 otherwise.
int EnsureDirectory(std::string_view path);
// Creates the album folder when it is not there, with one second attempt;
// true when it exists afterwards.
bool CreateAlbumFolder(std::string_view albumFolder);

} // namespace download
