#include "download/folders.h"

#include "platform/codepage.h"
#include "platform/files.h"

namespace download {

Text SanitizeFolderName(std::string_view name) {
  static const Text removed[] = {
      ":", "\\", "/", "?", "*", "<", ">", "|",
      "："_gbk, "、"_gbk, "？"_gbk, "。"_gbk, "（"_gbk, "）"_gbk, "·"_gbk, "！"_gbk, "，"_gbk,
      ".", " ",
      // Windows refuses a double quote (and control bytes, below) in a folder
      // name; such an album's folder could never be made there.
      "\"",
  };
  Text result(name);
  for (const Text& what : removed) result = web::RemoveText(result, what);

  // Control bytes go too; a double-byte character is kept whole. A pair the
  // code page cannot read as one character goes as well: its second byte
  // would come out of the conversion on its own, and may be a "/" or "\".
  Text cleaned;
  cleaned.reserve(result.size());
  for (std::size_t i = 0; i < result.size();) {
    const std::size_t length = web::CharLength(result, i);
    if (static_cast<unsigned char>(result[i]) >= 0x20 && IsWholeCharacter(result, i)) {
      cleaned.append(result, i, length);
    }
    i += length;
  }
  return cleaned;
}

bool IsWholeCharacter(std::string_view text, std::size_t i) {
  if (static_cast<unsigned char>(text[i]) < 0x80) return true;
  if (web::CharLength(text, i) != 2) return false;
  const std::string_view pair = text.substr(i, 2);
  const std::u16string units = platform::MultiByteToWide(platform::CodePageGbk, pair);
  return units.size() == 1 && platform::WideToMultiByte(platform::CodePageGbk, units) == pair;
}

Text AlbumFolderName(std::string_view albumName, std::string_view countText) {
  return SanitizeFolderName(albumName) + Text(countText);
}

Text SaveRoot(std::string_view saveBoxText) {
  return saveBoxText.empty() ? platform::ProgramDirectory() : Text(saveBoxText);
}

Text AlbumFolderPath(std::string_view saveRoot, std::string_view accountName, std::string_view albumFolderName) {
  Text path(saveRoot);
  path += '\\';
  path += accountName;
  path += '\\';
  path += albumFolderName;
  return path;
}

int EnsureDirectory(std::string_view path) {
  Text withSeparator(path);
  // Judged by character, not by byte: a name ending in a double-byte
  // character whose second byte is 0x5C still needs its separator, or the
  // last folder would be taken for a file name and never created.
  if (web::FindLastText(withSeparator, "\\") != static_cast<int>(withSeparator.size())) withSeparator += '\\';
  return platform::MakeSureDirectoryPathExists(withSeparator);
}

bool CreateAlbumFolder(std::string_view albumFolder) {
  if (platform::IsDirectory(albumFolder)) return true;
  if (EnsureDirectory(albumFolder) != 1) EnsureDirectory(albumFolder);
  return platform::IsDirectory(albumFolder);
}

} // namespace download
