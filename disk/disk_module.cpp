#include "disk/disk_module.h"

#include <cstring>

#include "platform/ui.h"

namespace ox::disk {

DiskModule& Module() {
  static DiskModule module;
  return module;
}

bool AttachModule(plat::ModuleHandle instance) {
  DiskModule& m = Module();
  m.instance = instance;
  char path[261];
  uint32_t n = plat::GetModulePath(instance, path, sizeof path);
  if (n == 0 || n > 245) {
    plat::ShowMessageBox(nullptr, "Path of plugin dll is too long", "Vorkel", plat::kBoxOk | plat::kBoxIconError);
    return false;
  }
  BuildConfigPath(path, &m.paths);
  LoadSettings(m.paths.ConfigFilePath, &m.settings);
  m.loaded = true;
  return true;
}

}  // namespace ox::disk
