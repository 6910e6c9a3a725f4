#include "tape/tape_image.h"

#include <cstring>

#include "common/alloc.h"
#include "common/bytes.h"
#include "common/dos_time.h"
#include "tape/entry_name.h"
#include "tape/tape_format.h"

namespace ox::tape {

namespace {

constexpr uint32_t kEntryListCapacity = 10;

Status BadData() { return HostCode(kHostBadData); }

Status OpenAndMap(const char* path, const TapeAccess& access, TapeImage* image) {
  const Status openError = HostCode(kHostEOpen);
  if (strlen(path) + 1 > host::kNameField) return PathTooLongForOpen();
  if (!plat::OpenFile(path, access.fileAccess, access.share, plat::Disposition::kOpenExisting, plat::kHintNone,
                      &image->file))
    return openError;
  uint64_t size;
  if (!plat::GetFileSize(image->file, &size) || size >= kMaxImageBytes) return openError;
  image->size = static_cast<uint32_t>(size);
  if (image->size == 0) return Success();  // an empty tape has nothing to map
  if (!plat::CreateMapping(image->file, access.writablePages, &image->mapping)) return openError;
  if (!plat::MapView(image->mapping, access.writableView, &image->view)) return openError;
  return Success();
}

}  // namespace

Status CreateTapeEntryList(PointerList* list, uint32_t capacity) {
  if (capacity > PointerList::kMaxCapacity) return SilentMessage("Capacity of list is too large");
  return list->Init(capacity);
}

TapeImage* OpenTapeImage(host::OpenArchiveRecord* record, const TapeAccess& access) {
  TapeImage* image = New<TapeImage>();
  Status status = image ? CreateTapeEntryList(&image->entries, kEntryListCapacity) : OutOfMemory();
  if (status.ok) status = OpenAndMap(record->archiveName, access, image);
  if (status.ok) status = ScanTapeBlocks(record->archiveName, image);
  if (status.ok) status = NameTapeEntries(image->entries);
  if (status.ok) {
    record->openResult = kHostSuccess;
    return image;
  }
  if (image) CloseTapeImage(image);
  ShowStatusMessage(status);
  record->openResult = ToHostResult(status);
  return nullptr;
}

Status ScanTapeBlocks(const char* imagePath, TapeImage* image) {
  const uint8_t* bytes = image->view;
  const uint64_t size = image->size;
  uint64_t pos = 0;
  uint32_t headerless = 0;
  if (size == 0) return Success();
  for (;;) {
    if (pos + 4 > size) return BadData();
    if (ReadU16(bytes + pos) < 2) return BadData();
    auto* entry = static_cast<TapeEntry*>(AllocateZeroed(sizeof(TapeEntry)));
    if (!entry) return OutOfMemory();
    Status appended = image->entries.Append(entry);
    if (appended.failed()) {
      Release(entry);
      return appended;
    }
    // The open has checked the path's length; a longer one is cut rather than overrun the field.
    strncpy(entry->record.archiveName, imagePath, host::kNameField - 1);
    if (bytes[pos + 2] == kHeaderFlag && ReadU16(bytes + pos) == kHeaderBlockLength) {
      if (pos + kHeaderBlockBytes > size) return BadData();
      if (!TapeSumIsZero(bytes + pos + 2, kHeaderBlockLength)) return HostCode(kHostBadArchive);
      entry->headerBlock = bytes + pos;
      entry->header = bytes + pos + 3;
      OX_TRY(BuildEntryName(entry->header, 0, entry->record.fileName));
      pos += kHeaderBlockBytes;
    } else {
      // The block at pos is this entry's data.
      HeaderlessEntryName(++headerless, entry->record.fileName);
    }
    // Attach the data block; a header block at the end of the file fails here.
    if (pos + 4 > size) return BadData();
    uint32_t length = ReadU16(bytes + pos);
    if (length < 2) return BadData();
    if (!entry->header || bytes[pos + 2] != kHeaderFlag) {
      entry->data = bytes + pos + 3;
      entry->record.packedSize = static_cast<int32_t>(length - 2);
      entry->record.unpackedSize = static_cast<int32_t>(length - 2);
      entry->record.fileTime = static_cast<int32_t>(CurrentDosDateTime());
      pos += length + 2;
    }
    // A block that runs past the end leaves pos beyond the size: the next round fails.
    if (pos == size) return Success();
  }
}

Status NameTapeEntries(PointerList& entries) {
  const uint32_t count = entries.count();
  // Bare names first (no suffix), then the count of equal bare names before each entry.
  for (uint32_t i = 0; i < count; ++i) {
    auto* e = entries.ptr<TapeEntry>(i);
    if (e->header) OX_TRY(BuildEntryName(e->header, 0, e->record.fileName));
  }
  for (uint32_t i = 0; i < count; ++i) {
    auto* e = entries.ptr<TapeEntry>(i);
    e->duplicateIndex = 0;
    if (!e->header) continue;
    for (uint32_t j = 0; j < i; ++j) {
      auto* earlier = entries.ptr<TapeEntry>(j);
      if (earlier->header && strcmp(earlier->record.fileName, e->record.fileName) == 0) ++e->duplicateIndex;
    }
  }
  for (uint32_t i = 0; i < count; ++i) {
    auto* e = entries.ptr<TapeEntry>(i);
    if (e->header) OX_TRY(BuildEntryName(e->header, e->duplicateIndex, e->record.fileName));
  }
  return Success();
}

int32_t CloseTapeImage(TapeImage* image) {
  for (uint32_t i = 0; i < image->entries.count(); ++i) Release(image->entries.ptr<TapeEntry>(i));
  bool failed = false;
  if (image->view && !plat::UnmapView(image->mapping, image->view)) failed = true;
  if (image->mapping != plat::kNoHandle && !plat::CloseMapping(image->mapping)) failed = true;
  if (image->file != plat::kNoHandle && !plat::CloseFile(image->file)) failed = true;
  Delete(image);
  return failed ? kHostEClose : kHostSuccess;
}

}  // namespace ox::tape
