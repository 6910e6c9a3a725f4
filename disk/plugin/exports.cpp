// The exports of the disk plugin: the host's names and calling convention, each a
// thin door into the plugin's operations. A module whose load was refused answers
// every call with a failure and touches nothing.
#include "common/host_api.h"
#include "common/host_boundary.h"
#include "common/plugin_entry.h"
#include "disk/disk_image.h"
#include "disk/disk_module.h"
#include "common/naming_dialog.h"
#include "disk/options_dialog.h"

using namespace ox;
using namespace ox::disk;

bool ox::OnProcessAttach(plat::ModuleHandle self) { return AttachModule(self); }

OX_EXPORT void* OX_HOSTCALL OpenArchive(host::OpenArchiveRecord* record) {
  if (!Module().loaded) {
    record->openResult = kHostEOpen;
    return nullptr;
  }
  return disk::OpenArchive(record, Module().settings);
}

OX_EXPORT int OX_HOSTCALL ReadHeader(void* handle, host::HeaderRecord* record) {
  return handle ? disk::ReadHeader(static_cast<DiskImage*>(handle), record) : kHostEndArchive;
}

OX_EXPORT int OX_HOSTCALL ProcessFile(void* handle, int operation, char* destPath, char* destName) {
  return handle ? disk::ProcessFile(static_cast<DiskImage*>(handle), operation, destPath, destName) : kHostEndArchive;
}

OX_EXPORT int OX_HOSTCALL CloseArchive(void* handle) {
  return handle ? disk::CloseArchive(static_cast<DiskImage*>(handle)) : kHostEClose;
}

OX_EXPORT int OX_HOSTCALL GetPackerCaps() {
  return host::kCapsNew | host::kCapsModify | host::kCapsMultiple | host::kCapsDelete | host::kCapsOptions |
         host::kCapsSearchText;
}

OX_EXPORT void OX_HOSTCALL ConfigurePacker(void* parent, void*) {
  if (!Module().loaded) return;
  OptionsDialog options(Module().settings, Module().paths.ConfigFilePath);
  plat::RunDialog(Module().instance, kOptionsDialog, parent, options, dialog::kCancel);
}

// One function serves both callback setters: the plugin reports no progress and asks for no volume.
// Linux hosts pass the handle -1 before packing and deleting; that is accepted too.
static void IgnoreCallback(void*, void*) {}

OX_EXPORT void OX_HOSTCALL SetChangeVolProc(void* handle, host::ChangeVolProc proc) {
  IgnoreCallback(handle, reinterpret_cast<void*>(proc));
}
OX_EXPORT void OX_HOSTCALL SetProcessDataProc(void* handle, host::ProcessDataProc proc) {
  IgnoreCallback(handle, reinterpret_cast<void*>(proc));
}
