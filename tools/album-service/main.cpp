#include "tools/album-service/album_service.h"
#include "tools/album-service/photo_export.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <string>
#include <string_view>

namespace {

int Usage(int code) {
  std::fprintf(code == 0 ? stdout : stderr,
               "usage: album-service [--port N] [--export DIR]\n"
               "  --port N      listen on 127.0.0.1:N (default %d; 0 picks a free port)\n"
               "  --export DIR  write the demo photos and a manifest to DIR, then exit\n",
               album_service::DefaultPort);
  return code;
}

} // namespace

int main(int argc, char** argv) {
  int port = album_service::DefaultPort;
  std::string exportDir;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return Usage(0);
    if ((arg == "--port" || arg == "--export") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--export") {
        exportDir = value;
        continue;
      }
      char* end = nullptr;
      const long parsed = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || parsed < 0 || parsed > 65535) return Usage(2);
      port = static_cast<int>(parsed);
      continue;
    }
    return Usage(2);
  }

  if (!exportDir.empty()) {
    std::string error;
    if (!album_service::ExportPhotos(album_service::DemoData(), exportDir, error)) {
      std::fprintf(stderr, "album-service: %s\n", error.c_str());
      return 1;
    }
    std::printf("album-service exported the demo photos to %s\n", exportDir.c_str());
    return 0;
  }

  // Blocked before any thread starts, so every server thread inherits the
  // mask and only sigwait below receives the signals.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  album_service::AlbumService service(album_service::DemoData());
  const int bound = service.Start(port);
  if (bound < 0) {
    std::fprintf(stderr, "album-service: cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  std::printf("album-service listening on 127.0.0.1:%d\n", bound);
  std::fflush(stdout);

  int received = 0;
  sigwait(&signals, &received);
  service.Stop();
  std::printf("album-service stopped\n");
  return 0;
}
