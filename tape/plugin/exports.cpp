// The exports of Nalmet: thin wrappers that turn the host's calls into the plugin's
// internal operations and their Status into host results.
#include <cstring>

#include "common/alloc.h"
#include "common/host_api.h"
#include "common/host_boundary.h"
#include "common/plugin_entry.h"
#include "common/settings.h"
#include "platform/dialog.h"
#include "tape/options_dialog.h"
#include "tape/options_ids.h"
#include "tape/tape_deleting.h"
#include "tape/tape_image.h"
#include "tape/tape_module.h"
#include "tape/tape_packing.h"
#include "tape/tape_reading.h"

using namespace ox;
using namespace ox::tape;

namespace {

constexpr int kPackerCaps = host::kCapsNew | host::kCapsModify | host::kCapsMultiple | host::kCapsDelete |
                            host::kCapsOptions | host::kCapsSearchText;

// A NUL-separated list ended by an empty name, with its final NUL.
size_t ListBytes(const char* list) {
  const char* p = list;
  while (*p) p += strlen(p) + 1;
  return static_cast<size_t>(p - list) + 1;
}

// The host's add list as the plugin reads it: on Linux "/" separates like the backslash.
// A copy, so the host's own buffer is left as it was.
HeapBlock<char> CopyHostList(const char* list) {
  static const char kEmpty[2] = {0, 0};
  if (!list) list = kEmpty;
  size_t n = ListBytes(list);
  HeapBlock<char> copy(static_cast<char*>(Allocate(n)));
  if (copy) {
    memcpy(copy.get(), list, n);
    host::FromHostSeparators(copy.get(), n);
  }
  return copy;
}

}  // namespace

namespace ox {

bool OnProcessAttach(plat::ModuleHandle self) {
  TapeModule& module = Module();
  module.instance = self;
  char path[kPathBufferSize];
  uint32_t n = plat::GetModulePath(self, path, kPathBufferSize);
  // A path too short to name a file, or one that may have been cut: refuse without a word.
  if (n < 3 || n >= kPathBufferSize) {
    module.refused = true;
    return false;
  }
  if (BuildConfigPath(path, &module.paths)) LoadSettings(module.paths.ConfigFilePath, &module.naming);
  return true;
}

}  // namespace ox

OX_EXPORT void* OX_HOSTCALL OpenArchive(host::OpenArchiveRecord* archiveData) {
  if (Module().refused) {
    archiveData->openResult = kHostEOpen;
    return nullptr;
  }
  return OpenTapeImage(archiveData, kReadAccess);
}

OX_EXPORT int OX_HOSTCALL ReadHeader(void* handle, host::HeaderRecord* headerData) {
  const host::HeaderRecord* prepared = CurrentTapeRecord(static_cast<TapeImage*>(handle));
  if (!prepared) return kHostEndArchive;
  host::HeaderRecord record = *prepared;
  host::ToHostConventions(&record);
  host::CopyHeaderToHost(record, headerData);
  return kHostSuccess;
}

OX_EXPORT int OX_HOSTCALL ProcessFile(void* handle, int operation, char* destPath, char* destName) {
  return ProcessTapeEntry(static_cast<TapeImage*>(handle), operation, destPath, destName);
}

OX_EXPORT int OX_HOSTCALL CloseArchive(void* handle) { return CloseTapeImage(static_cast<TapeImage*>(handle)); }

OX_EXPORT int OX_HOSTCALL PackFiles(char* packedFile, char* subPath, char* srcPath, char* addList, int flags) {
  if (Module().refused) return kHostEOpen;
  HeapBlock<char> names = CopyHostList(addList);
  if (!names) return FinishExport(OutOfMemory());
  return FinishExport(PackTapeFiles(packedFile, subPath, srcPath, names.get(), flags));
}

OX_EXPORT int OX_HOSTCALL DeleteFiles(char* packedFile, char* deleteList) {
  if (Module().refused) return kHostEOpen;
  return FinishExport(DeleteTapeFiles(packedFile, deleteList));
}

OX_EXPORT int OX_HOSTCALL GetPackerCaps() { return Module().refused ? 0 : kPackerCaps; }

OX_EXPORT void OX_HOSTCALL ConfigurePacker(void* parent, void* dllInstance) {
  (void)dllInstance;  // the dialog comes from the instance kept at load
  TapeModule& module = Module();
  if (module.refused) return;
  TapeOptionsDialog dialog(&module.naming, module.paths.ConfigFilePath);
  plat::RunDialog(module.instance, OX_TAPE_DLG_OPTIONS, parent, dialog, OX_TAPE_ID_CANCEL);
}

// The plugin never reports progress and never asks for another volume (Linux hosts
// pass the handle -1 here before packing and deleting).
OX_EXPORT void OX_HOSTCALL SetChangeVolProc(void* handle, host::ChangeVolProc callback) {
  (void)handle;
  (void)callback;
}

OX_EXPORT void OX_HOSTCALL SetProcessDataProc(void* handle, host::ProcessDataProc callback) {
  (void)handle;
  (void)callback;
}
