// The tape plugin's module-wide state: set up when the module is loaded, alive until
// it is unloaded, read by every operation and changed only by the options dialog.
#pragma once
#include "common/settings.h"
#include "platform/module.h"

namespace ox::tape {

struct TapeModule {
  plat::ModuleHandle instance = nullptr;
  ConfigPaths paths = {};  // the tape plugin uses ConfigFilePath only
  NamingMode naming = DefaultNamingMode();
  bool refused = false;  // the load was refused (POSIX keeps the module loaded anyway)
};

TapeModule& Module();

}  // namespace ox::tape
