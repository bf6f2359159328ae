#include "app/program.h"
#include "catalogue/configuration.h"

int main(int argc, char** argv) {
#ifdef ORLIO_DEMO_DEPLOYMENT
  const catalogue::Configuration config = catalogue::DemoConfiguration(18163);
#else
  const catalogue::Configuration config = catalogue::LiveConfiguration();
#endif
  app::Handlers handlers;
  return app::RunProgram(argc, argv, config, std::move(handlers));
}
