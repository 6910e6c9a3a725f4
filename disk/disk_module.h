// The disk plugin's module-wide state: set up when the module is loaded, alive until it is unloaded.
#pragma once
#include "common/settings.h"
#include "platform/module.h"

namespace ox::disk {

struct DiskModule {
  plat::ModuleHandle instance = nullptr;
  bool loaded = false;  // a refused load leaves the exports failing safely
  ConfigPaths paths = {};
  DiskSettings settings = DefaultDiskSettings();
};

DiskModule& Module();

// The work of the load entry. Returns false to refuse the load.
bool AttachModule(plat::ModuleHandle instance);

}  // namespace ox::disk
