// The entry function and the four program-wide objects, constructed before it
// in this order and destroyed after it in reverse.
#include "app/TunewardenApp.h"
#include "resources/ui/UiResources.h"

namespace {

AppSettings settings;
IconCache icons;
PlayerConnection connection(settings);
TunewardenApp application(settings, icons, connection);

}  // namespace

int main(int argc, char** argv) {
  application.Init(argc, argv);
  InstallUiResources();
  const int result = application.RunAll();
  application.Term();
  return result;
}
