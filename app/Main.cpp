// The entry function. The four program-wide objects live on its stack, made
// in this order before anything else runs and destroyed after it in reverse:
// in static storage, an exit() from inside Qt (its X connection broken) would
// destroy them after Qt itself.
#include "app/TunewardenApp.h"
#include "resources/ui/UiResources.h"

int main(int argc, char** argv) {
  AppSettings settings;
  IconCache icons;
  PlayerConnection connection(settings);
  TunewardenApp application(settings, icons, connection);
  application.Init(argc, argv);
  InstallUiResources();
  const int result = application.RunAll();
  application.Term();
  return result;
}
