#include "tape/tape_deleting.h"

#include <cstring>

#include "platform/file.h"
#include "platform/time.h"
#include "tape/tape_format.h"
#include "tape/tape_image.h"
#include "tape/tape_reading.h"

namespace ox::tape {

namespace {

// Moves the cursor past its name when the entry is the one it names.
bool TakeName(const char*& cursor, const host::HeaderRecord& record) {
  if (!*cursor || strcmp(record.fileName, cursor) != 0) return false;
  cursor += strlen(cursor) + 1;
  return true;
}

// Nothing changes here: every entry must test sound and every name be found in tape order.
Status CheckPass(TapeImage* image, const char* deleteList) {
  const char* cursor = deleteList;
  while (const host::HeaderRecord* record = CurrentTapeRecord(image)) {
    TakeName(cursor, *record);
    int32_t code = ProcessTapeEntry(image, host::kTest, nullptr, nullptr);
    if (code != kHostSuccess) return HostCode(code);
  }
  if (*cursor) return ShownMessage("Error 920");
  return Success();
}

Status CompactionPass(TapeImage* image, const char* deleteList) {
  uint8_t* w = image->view;
  const char* cursor = deleteList;
  image->next = 0;
  while (const host::HeaderRecord* record = CurrentTapeRecord(image)) {
    const TapeEntry* entry = image->entry(image->next);
    if (!TakeName(cursor, *record)) {
      // Kept bytes only ever move towards the start; source and target may overlap.
      if (entry->headerBlock) {
        memmove(w, entry->headerBlock, kHeaderBlockBytes);
        w += kHeaderBlockBytes;
      }
      if (entry->data) {
        uint32_t n = static_cast<uint32_t>(entry->record.packedSize) + 4;
        memmove(w, entry->data - 3, n);
        w += n;
      }
    }
    ProcessTapeEntry(image, host::kSkip, nullptr, nullptr);
  }
  const uint64_t keep = static_cast<uint64_t>(w - image->view);
  // The changes reach the file with the view; the mapping must be gone before the cut.
  bool ok = true;
  if (image->view && !plat::UnmapView(image->mapping, image->view)) ok = false;
  image->view = nullptr;
  if (image->mapping != plat::kNoHandle && !plat::CloseMapping(image->mapping)) ok = false;
  image->mapping = plat::kNoHandle;
  uint64_t position;
  if (!plat::SeekFile(image->file, static_cast<int64_t>(keep), plat::Origin::kBegin, &position) ||
      position != keep || !plat::TruncateFile(image->file))
    ok = false;
  return ok ? Success() : HostCode(kHostEWrite);
}

bool TouchNow(plat::Handle file) {
  plat::SystemTime now;
  plat::GetSystemTime(&now);
  uint64_t fileTime;
  return plat::SystemTimeToFileTime(now, &fileTime) && plat::SetFileLastWriteTime(file, fileTime);
}

}  // namespace

Status DeleteTapeFiles(const char* packedFile, const char* deleteList) {
  static const char kEmptyList[2] = {0, 0};
  if (!deleteList) deleteList = kEmptyList;
  host::OpenArchiveRecord record = {};
  record.archiveName = const_cast<char*>(packedFile);
  record.openMode = kOpenForExtract;
  TapeImage* image = OpenTapeImage(&record, kWriteAccess);
  if (!image) return HostCode(record.openResult);  // the open has shown its message, if any
  Status status = CheckPass(image, deleteList);
  if (status.ok) status = CompactionPass(image, deleteList);
  if (!TouchNow(image->file)) status = KeepFirstFailure(status, HostCode(kHostEWrite));
  CloseTapeImage(image);
  return status;
}

}  // namespace ox::tape
