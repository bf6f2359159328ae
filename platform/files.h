#pragma once

#include "platform/types.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

// The file services the program was written against, for GBK paths with "\"
// separators. A path is decoded from GBK before any separator is looked for,
// so a double-byte character whose second byte is 0x5C ("\") is never split.
namespace platform {

// The native path of a GBK path: decoded to Unicode, then every run of "\"
// turned into one "/". A "/" already in the path stays a separator.
std::filesystem::path NativePath(std::string_view gbkPath);

bool IsDirectory(std::string_view gbkPath);
// True when anything (a file or a folder) exists at the path.
bool FileExists(std::string_view gbkPath);

// Creates every missing folder up to the last "\"; what follows that "\" is a
// file name and is not created. 1 when all those folders exist afterwards
// (also when the path has no "\" at all), 0 otherwise.
int MakeSureDirectoryPathExists(std::string_view gbkPath);

// Creates the file or replaces one of the same name, and writes all bytes.
bool WriteWholeFile(std::string_view gbkPath, std::span<const std::uint8_t> bytes);

// Creates a new file and writes all bytes; never touches an existing file.
// A file left incomplete by a failed write is removed again.
enum WriteResult { WriteDone = 0, WriteExists = 1, WriteFailed = 2 };
int WriteNewFile(std::string_view gbkPath, std::span<const std::uint8_t> bytes);

// The folder that holds the running program, as GBK text without a trailing
// separator; empty when it cannot be found out.
Text ProgramDirectory();

} // namespace platform
