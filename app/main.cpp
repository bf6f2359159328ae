#include "app/album_handlers.h"
#include "app/program.h"
#include "catalogue/configuration.h"

int main(int argc, char** argv) {
#ifdef ORLIO_DEMO_DEPLOYMENT
  const catalogue::Configuration config = catalogue::DemoConfiguration(18163);
#else
  const catalogue::Configuration config = catalogue::LiveConfiguration();
#endif
  return app::RunProgram(argc, argv, config, app::AlbumHandlers(config));
}
