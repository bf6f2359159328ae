#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/codepage.h"

#include <fstream>
#include <system_error>

namespace platform {
namespace {

// Runs of "\\" read as one separator, as the Windows file system reads them.
std::filesystem::path PathFromUnits(std::u16string_view units) {
  std::u16string native;
  native.reserve(units.size());
  bool afterBackslash = false;
  for (char16_t unit : units) {
    const bool backslash = unit == u'\\';
    if (!backslash) {
      native.push_back(unit);
    } else if (!afterBackslash) {
      native.push_back(u'/');
    }
    afterBackslash = backslash;
  }
  return std::filesystem::path(WideToMultiByte(CodePageUtf8, native));
}

} // namespace

std::filesystem::path NativePath(std::string_view gbkPath) {
  return PathFromUnits(MultiByteToWide(CodePageGbk, gbkPath));
}

bool IsDirectory(std::string_view gbkPath) {
  if (gbkPath.empty()) return false;
  std::error_code error;
  return std::filesystem::is_directory(NativePath(gbkPath), error);
}

bool FileExists(std::string_view gbkPath) {
  if (gbkPath.empty()) return false;
  std::error_code error;
  return std::filesystem::exists(NativePath(gbkPath), error);
}

int MakeSureDirectoryPathExists(std::string_view gbkPath) {
  const std::u16string units = MultiByteToWide(CodePageGbk, gbkPath);
  const std::size_t lastSeparator = units.rfind(u'\\');
  if (lastSeparator == std::u16string::npos) return 1;
  const std::filesystem::path folder = PathFromUnits(std::u16string_view(units).substr(0, lastSeparator + 1));
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error) ? 1 : 0;
}

bool WriteWholeFile(std::string_view gbkPath, std::span<const std::uint8_t> bytes) {
  if (gbkPath.empty()) return false;
  std::ofstream file(NativePath(gbkPath), std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

int WriteNewFile(std::string_view gbkPath, std::span<const std::uint8_t> bytes) {
  if (gbkPath.empty()) return WriteFailed;
  // O_EXCL: an existing file is never opened, let alone replaced.
  const int fd = ::open(NativePath(gbkPath).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno == EEXIST ? WriteExists : WriteFailed;
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  const bool closed = ::close(fd) == 0;
  if (written == bytes.size() && closed) return WriteDone;
  // A partial photo must not stay behind looking like a whole one.
  std::error_code ignored;
  std::filesystem::remove(NativePath(gbkPath), ignored);
  return WriteFailed;
}

Text ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return Utf8ToGbk(program.parent_path().string());
}

} // namespace platform
