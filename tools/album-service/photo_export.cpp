#include "tools/album-service/photo_export.h"

#include <fstream>
#include <system_error>

namespace album_service {
namespace {

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

const char* ServedBy(const Photo& photo) {
  if (photo.onPrimary) return "img1";
  if (photo.onFallback) return "img2";
  return "none";
}

} // namespace

bool ExportPhotos(const ServiceData& data, const std::filesystem::path& dir, std::string& error) {
  std::string manifest = "account\talbum_id\talbum_name\tindex\tfile\tbytes\twidth\theight\tserved_by\tphoto_path\n";
  for (const Account& account : data.accounts) {
    for (const Album& album : account.albums) {
      const std::filesystem::path relative = std::filesystem::path(account.name) / std::to_string(album.id);
      std::error_code code;
      std::filesystem::create_directories(dir / relative, code);
      if (code) {
        error = (dir / relative).string() + ": " + code.message();
        return false;
      }
      int index = 0;
      for (const Photo& photo : album.photos) {
        ++index;
        const std::string name = photo.path.substr(photo.path.rfind('/') + 1);
        const std::filesystem::path file = relative / name;
        if (!WriteFile(dir / file, photo.bytes)) {
          error = (dir / file).string() + ": cannot write";
          return false;
        }
        manifest += account.name + "\t" + std::to_string(album.id) + "\t" + album.name + "\t" + std::to_string(index) +
                    "\t" + file.generic_string() + "\t" + std::to_string(photo.bytes.size()) + "\t" +
                    std::to_string(photo.width) + "\t" + std::to_string(photo.height) + "\t" + ServedBy(photo) + "\t" +
                    photo.path + "\n";
      }
    }
  }
  if (!WriteFile(dir / "manifest.tsv", manifest)) {
    error = (dir / "manifest.tsv").string() + ": cannot write";
    return false;
  }
  return true;
}

} // namespace album_service
