// The exports of the disk plugin: the host's names and calling convention, each a
// thin door into the plugin's operations. A module whose load was refused answers
// every call with a failure and touches nothing.
#include <cstring>

#include "common/alloc.h"
#include "common/host_api.h"
#include "common/host_boundary.h"
#include "common/plugin_entry.h"
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

// Bytes of a list of NUL-terminated names ended by an empty one, its last NUL included.
size_t ListBytes(const char* list) {
  const char* p = list;
  while (*p) p += strlen(p) + 1;
  return static_cast<size_t>(p - list) + 1;
}

// A text or list the host passed in, as the plugin reads it: a copy (the host's buffer
// stays as it was) in which "/" is the backslash where Linux hosts write it.
class FromHost {
 public:
  FromHost(const char* text, bool list) {
    if (!text) return;
    size_t n = list ? ListBytes(text) : strlen(text) + 1;
    copy_.reset(static_cast<char*>(Allocate(n)));
    failed_ = !copy_;
    if (copy_) {
      memcpy(copy_.get(), text, n);
      host::FromHostSeparators(copy_.get(), n);
    }
  }
  const char* get() const { return copy_.get(); }
  bool failed() const { return failed_; }

 private:
  HeapBlock<char> copy_;
  bool failed_ = false;
};

}  // namespace

OX_EXPORT int OX_HOSTCALL PackFiles(char* packedFile, char* subPath, char* srcPath, char* addList, int flags) {
  if (!Module().loaded || !packedFile) return kHostEOpen;
  static const char kEmptyList[2] = {0, 0};
  FromHost packed(packedFile, false), sub(subPath, false), src(srcPath, false);
  FromHost names(addList ? addList : kEmptyList, true);
  if (packed.failed() || sub.failed() || src.failed() || names.failed()) return FinishExport(OutOfMemory());
  return disk::PackFiles(packed.get(), sub.get(), src.get(), names.get(), flags, Module());
}

OX_EXPORT int OX_HOSTCALL DeleteFiles(char* packedFile, char* deleteList) {
  if (!Module().loaded || !packedFile) return kHostEOpen;
  static const char kEmptyList[2] = {0, 0};
  FromHost packed(packedFile, false), names(deleteList ? deleteList : kEmptyList, true);
  if (packed.failed() || names.failed()) return FinishExport(OutOfMemory());
  return disk::DeleteFiles(packed.get(), names.get(), Module().settings);
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
