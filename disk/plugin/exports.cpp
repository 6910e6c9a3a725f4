// The exports of the disk plugin: the host's names and calling convention, each a
// thin door into the plugin's operations. A module whose load was refused answers
// every call with a failure and touches nothing.
#include "common/host_api.h"
#include "common/host_boundary.h"
#include "common/plugin_entry.h"
#include <cstring>

#include "common/naming_dialog.h"
#include "disk/delete_files.h"
#include "disk/disk_image.h"
#include "disk/disk_module.h"
#include "disk/options_dialog.h"
#include "disk/pack_files.h"

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

namespace {

// A list of NUL-terminated names ended by an empty one, taken in this platform's separators.
void ListFromHost(char* list) {
  if (!list) return;
  size_t length = 0;
  while (list[length]) length += strlen(list + length) + 1;
  host::FromHostSeparators(list, length);
}

void TextFromHost(char* text) {
  if (text) host::FromHostSeparators(text, strlen(text));
}

}  // namespace

OX_EXPORT int OX_HOSTCALL PackFiles(char* packedFile, char* subPath, char* srcPath, char* addList, int flags) {
  if (!Module().loaded || !packedFile) return kHostEOpen;
  TextFromHost(packedFile);
  TextFromHost(subPath);
  TextFromHost(srcPath);
  ListFromHost(addList);
  return disk::PackFiles(packedFile, subPath, srcPath, addList, flags, Module());
}

OX_EXPORT int OX_HOSTCALL DeleteFiles(char* packedFile, char* deleteList) {
  if (!Module().loaded || !packedFile) return kHostEOpen;
  TextFromHost(packedFile);
  ListFromHost(deleteList);
  return disk::DeleteFiles(packedFile, deleteList, Module().settings);
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
