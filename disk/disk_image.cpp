#include "disk/disk_image.h"

#include <cstring>

#include "common/alloc.h"
#include "common/bytes.h"
#include "common/dos_time.h"
#include "common/host_boundary.h"
#include "common/settings.h"
#include "disk/directory_tree.h"
#include "disk/entry_listing.h"
#include "disk/tree_node.h"
#include "platform/ui.h"

namespace ox::disk {

namespace {

Status OpenImageFile(DiskImage* image, const char* archiveName, const DiskSettings& settings) {
  OX_TRY(image->entries.Init(10));
  if (strlen(archiveName) + 1 > host::kNameField) return PathTooLongForOpen();
  strcpy(image->archiveName, archiveName);
  if (!plat::OpenFile(archiveName, plat::kAccessRead, plat::kShareRead, plat::Disposition::kOpenExisting, 0,
                      &image->file))
    return HostCode(kHostEOpen);
  uint64_t size;
  if (!plat::GetFileSize(image->file, &size) || size >= 0x80000000ULL) return HostCode(kHostEOpen);
  if (size > kMaxImageSize) return HostCode(kHostUnknownFormat);
  if (!plat::CreateMapping(image->file, false, &image->mapping) ||
      !plat::MapView(image->mapping, false, &image->view))
    return HostCode(kHostEOpen);
  OX_TRY(OpenVolume(&image->volume, image->view, static_cast<uint32_t>(size), true));
  OX_TRY(BuildDirectoryTree(settings.DirStructViewMode, &image->volume, &image->tree));
  TreeNode* start = ListingRoot(image->tree, settings.DirStructViewMode);
  OX_TRY(NumberDuplicates(start->children, settings.Naming, settings.DirStructViewMode));
  return BuildEntryList(start->children, "", settings.Naming, settings.DirStructViewMode, &image->entries);
}

}  // namespace

DiskImage* OpenArchive(host::OpenArchiveRecord* record, const DiskSettings& settings) {
  auto* image = static_cast<DiskImage*>(AllocateZeroed(sizeof(DiskImage)));
  if (!image) {
    record->openResult = kHostNoMemory;
    return nullptr;
  }
  new (&image->entries) PointerList();
  image->file = plat::kNoHandle;
  image->mapping = plat::kNoHandle;
  Status s = OpenImageFile(image, record->archiveName, settings);
  if (s.failed()) {
    CloseArchive(image);
    record->openResult = FinishExport(s);
    return nullptr;
  }
  image->current = 0;
  record->openResult = kHostSuccess;
  return image;
}

int32_t ReadHeader(DiskImage* image, host::HeaderRecord* record) {
  if (static_cast<uint32_t>(image->current) >= image->entries.count()) return kHostEndArchive;
  host::HeaderRecord prepared;
  FillHeaderRecord(*image->entries.ptr<ListedEntry>(static_cast<uint32_t>(image->current)), image->archiveName,
                   &prepared);
  host::ToHostConventions(&prepared);
  host::CopyHeaderToHost(prepared, record);
  return kHostSuccess;
}

namespace {

// Writes an extracted file and gives it the entry's date and time.
int32_t WriteExtracted(const char* destName, const uint8_t* data, uint32_t length, uint32_t dosDateTime) {
  plat::Handle file;
  if (!plat::OpenFile(destName, plat::kAccessWrite, plat::kShareNone, plat::Disposition::kCreateAlways,
                      plat::kHintSequential, &file))
    return kHostECreate;
  int32_t result = kHostSuccess;
  uint32_t written = 0;
  if (!plat::WriteFile(file, data, length, &written) || written != length) result = kHostEWrite;
  if (result == kHostSuccess) {
    uint64_t fileTime;
    // A date that cannot be converted leaves the time the system set.
    if (DosDateTimeToUtcFileTime(dosDateTime, &fileTime)) plat::SetFileLastWriteTime(file, fileTime);
  }
  if (!plat::CloseFile(file) && result == kHostSuccess) result = kHostEClose;
  return result;
}

}  // namespace

int32_t ProcessFile(DiskImage* image, int32_t operation, const char* destPath, const char* destName) {
  // A call with no entry left is outside the host's protocol; nothing past the list is read.
  if (static_cast<uint32_t>(image->current) >= image->entries.count()) return kHostEndArchive;
  const TreeNode* node = image->entries.ptr<ListedEntry>(static_cast<uint32_t>(image->current))->node;
  image->current += 1;
  if (operation == host::kSkip || node->isDirectory) return kHostSuccess;
  if (destPath) {
    plat::ShowMessageBox(nullptr, "DestPath is not null.\nPlease report this error to plugin author.",
                         "Vorkel error", plat::kBoxOk | plat::kBoxIconError | plat::kBoxTaskModal);
    return kHostNotSupported;
  }
  const uint8_t* e = node->entry;
  int32_t first = ReadU32(e + entry::kBodyLength) ? static_cast<int32_t>(ReadU16(e + entry::kFirstSector) & kFatValueMask) : -1;
  ChainReader reader;
  Status s = OpenChain(&reader, &image->volume, first, false);
  if (s.failed()) return FinishExport(s);
  HeapBlock<uint8_t> data(static_cast<uint8_t*>(Allocate(reader.length)));
  if (!data) return kHostNoMemory;
  ReadChain(&reader, data.get(), reader.length);
  if (operation != host::kExtract) return kHostSuccess;
  return WriteExtracted(destName, data.get(), reader.length, ReadU32(e + entry::kDateTime));
}

int32_t CloseArchive(DiskImage* image) {
  FreeEntryList(&image->entries);
  if (image->tree) {
    DestroyTree(image->tree);
    FreeNode(image->tree);
  }
  bool ok = true;
  if (image->view) ok = plat::UnmapView(image->mapping, image->view) && ok;
  if (image->mapping != plat::kNoHandle) ok = plat::CloseMapping(image->mapping) && ok;
  if (image->file != plat::kNoHandle) ok = plat::CloseFile(image->file) && ok;
  image->entries.~PointerList();
  Release(image);
  return ok ? kHostSuccess : kHostEClose;
}

}  // namespace ox::disk
