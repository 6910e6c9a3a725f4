#include "disk/pack_files.h"

#include <cstring>

#include "common/alloc.h"
#include "common/host_api.h"
#include "disk/add_files.h"
#include "disk/image_file.h"
#include "disk/new_image.h"
#include "platform/file.h"

namespace ox::disk {

namespace {

struct PackCall {
  WritableImage image;
  HeapBlock<DiskVolume> volume;
  bool deleteImageFile = false;
  bool packedAddList = false;
};

Status PackIntoImage(PackCall& call, const char* packedFile, const char* subPath, const char* srcPath,
                     const char* addList, int32_t flags, const char* baseName, size_t baseLength, DiskModule& module) {
  OX_TRY(call.image.Open(packedFile, plat::Disposition::kOpenAlways));
  OX_TRY(call.image.CheckFileSize());
  uint8_t bootSector[kSectorSize] = {};
  memcpy(bootSector, kBootTemplate, boot::kTemplateLength);
  const bool isNew = call.image.fileSize() == 0;
  NewImageChoice choice;
  uint32_t size = static_cast<uint32_t>(call.image.fileSize());
  if (isNew) {
    Status chosen = ChooseNewImage(module, bootSector, &choice);
    call.deleteImageFile = choice.cancelled;
    OX_TRY(chosen);
    size = choice.format->imageSectors * kSectorSize;
  }
  OX_TRY(call.image.AllocateBuffer(size));
  if (isNew) BuildNewImage(call.image.bytes(), *choice.format, bootSector);
  else OX_TRY(call.image.ReadAll());
  call.volume.reset(static_cast<DiskVolume*>(AllocateZeroed(sizeof(DiskVolume))));
  if (!call.volume) return OutOfMemory();
  OX_TRY(OpenVolume(call.volume.get(), call.image.bytes(), call.image.size(), !isNew));
  const DiskSettings& settings = module.settings;
  if (choice.bootable) OX_TRY(AddBootFiles(call.volume.get(), baseName, baseLength, settings));
  if (!choice.createEmpty) {
    OX_TRY(AddFileList(call.volume.get(), subPath, srcPath, addList, flags, baseName, baseLength, settings));
    call.packedAddList = true;
  }
  FlushFat(call.volume.get());
  return call.image.WriteAll();
}

// After a move: every source is tried, from the last name back to the first, so that
// a directory goes after the names inside it.
Status DeleteSources(const char* addList) {
  const char* end = addList;
  while (*end) end += strlen(end) + 1;
  bool failed = false;
  while (end != addList) {
    const char* name = end - 1;  // the NUL of the name before
    while (name != addList && name[-1] != '\0') --name;
    size_t length = static_cast<size_t>(end - 1 - name);
    bool ok = name[length - 1] == '\\' ? plat::RemoveDir(name) : plat::DeletePath(name);
    failed = failed || !ok;
    end = name;
  }
  return failed ? ShownMessage("Could not delete source files/directories") : Success();
}

}  // namespace

int32_t PackFiles(const char* packedFile, const char* subPath, const char* srcPath, const char* addList,
                  int32_t flags, DiskModule& module) {
  const char* baseName = packedFile + strlen(packedFile);
  size_t baseLength = 0;
  while (baseName != packedFile && baseName[-1] != '\\') {
    --baseName;
    ++baseLength;
  }
  PackCall call;
  Status result = PackIntoImage(call, packedFile, subPath, srcPath, addList, flags, baseName, baseLength, module);
  if (result.ok && (flags & host::kPackMoveFiles) && call.packedAddList && addList) result = DeleteSources(addList);
  call.image.Close();
  if (call.deleteImageFile) plat::DeletePath(packedFile);
  return FinishExport(result);
}

}  // namespace ox::disk
