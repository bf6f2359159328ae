#include "catalogue/configuration.h"

#include <string>

namespace catalogue {

const Configuration& LiveConfiguration() {
  static const Configuration live{
      "http://photo.163.com/",
      ".photo.163.com",
      "img.ph.126.net",
      "img1.ph.126.net",
      "img.ph.126.net",
      "img1.ph.126.net",
      // The maker's own addresses are not known to this build; these reserved
      // names never resolve, so the version check finds nothing rather than
      // asking a stranger's server.
      "http://maker.orlio.example/version",
      "http://maker.orlio.example/",
      "http://maker.orlio.example/chat",
  };
  return live;
}

Configuration DemoConfiguration(int port) {
  const std::string p = std::to_string(port);
  return Configuration{
      "http://photo.localhost:" + p + "/",
      ".photo.localhost",
      "cover1.localhost:" + p,
      "cover2.localhost:" + p,
      "img1.localhost:" + p,
      "img2.localhost:" + p,
      "http://maker.localhost:" + p + "/version",
      "http://maker.localhost:" + p + "/",
      "http://maker.localhost:" + p + "/chat",
  };
}

} // namespace catalogue
