#pragma once

#include "platform/types.h"

namespace catalogue {

using platform::ByteBuffer;
using platform::Text;

// The deployment's fixed addresses: the album service's hosts and root, and
// the maker's endpoints. Two sets are built into the program (live and demo);
// tests make their own.
struct Configuration {
  Text AlbumSiteRoot;        // "http://" ... "/"
  Text UserSubdomainSuffix;  // "." + the album site's host name
  Text CoverHostPrimary;
  Text CoverHostFallback;
  Text PhotoHostPrimary;
  Text PhotoHostFallback;
  Text UpdateCheckUrl;
  Text MakerPageUrl;
  Text SupportChatUrl;
};

// The real service.
const Configuration& LiveConfiguration();
// Everything on the loopback stand-in service at the given port.
Configuration DemoConfiguration(int port = 18163);

} // namespace catalogue
