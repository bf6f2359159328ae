// SanitizeFolderName and the album folder's path on any account name, album
// name and count text, the way the download forms them. Fields: album name,
// count text, account name. Options: the save root.
#include "download/album_download.h"
#include "download/folders.h"
#include "fuzz/fuzz_support.h"
#include "platform/codepage.h"
#include "platform/files.h"

#include <filesystem>

using namespace fuzzing;

namespace {

namespace fs = std::filesystem;

// Every character of the text, by the GBK rule, converts as one character of
// its own: no lead byte without its second byte, no pair that the code page
// reads as something else.
bool WholeCharacters(std::string_view text) {
  const std::vector<bool> starts = CharacterStarts(text);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!starts[i]) continue;
    const std::size_t length = starts[i + 1] ? 1 : 2;
    if (static_cast<unsigned char>(text[i]) < 0x80) continue;
    if (length == 1) return false;
    const std::u16string units = platform::MultiByteToWide(platform::CodePageGbk, text.substr(i, 2));
    if (units.size() != 1 || platform::WideToMultiByte(platform::CodePageGbk, units) != text.substr(i, 2)) {
      return false;
    }
  }
  return true;
}

void CheckSanitized(std::string_view name) {
  const Text safe = download::SanitizeFolderName(name);
  Require(WholeCharacters(safe), "sanitized name holds a broken double-byte character", name, safe);
  const std::string native = platform::NativePath(safe).string();
  Require(native.find('/') == std::string::npos, "sanitized name holds a path separator", name, native);
  Require(native.find('\0') == std::string::npos, "sanitized name holds a zero", name, native);
  Require(download::SanitizeFolderName(safe) == safe, "sanitizing twice changes the name", name, safe);
}

void CheckFolder(const Text& saveRoot, const std::string& account, const std::string& name, const std::string& count) {
  // As the download forms it.
  const Text folder = download::AlbumFolderPath(download::SaveRoot(saveRoot), download::SafeFolderComponent(account),
                                                download::SafeFolderComponent(download::AlbumFolderName(name, count)));
  const fs::path root = platform::NativePath(saveRoot).lexically_normal();
  const fs::path path = platform::NativePath(folder);
  Require(path.native().find('\0') == std::string::npos, "album folder path holds a zero", folder);
  const fs::path normal = path.lexically_normal();

  auto rootPart = root.begin();
  auto part = normal.begin();
  for (; rootPart != root.end() && !rootPart->empty(); ++rootPart, ++part) {
    Require(part != normal.end() && *part == *rootPart, "album folder is not under the save root", folder,
            normal.string());
  }
  int below = 0;
  for (; part != normal.end(); ++part) {
    if (part->empty()) continue;  // a trailing separator
    Require(*part != "." && *part != "..", "album folder path climbs", folder, normal.string());
    ++below;
  }
  Require(below == 2, "album folder is not exactly account and album below the save root", folder, normal.string());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Text roots[] = {
      "/srv/photos",
      "/srv/photos/",
      "/srv/photos\\",
      platform::Utf8ToGbk("/home/用户/网易相册"),
  };
  const Input in = Split(data, size);
  CheckSanitized(in.Field(0));
  CheckSanitized(in.Field(2));
  CheckFolder(roots[in.Option(0) % 4], in.Field(2), in.Field(0), in.Field(1));
  return 0;
}
