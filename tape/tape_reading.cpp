#include "tape/tape_reading.h"

#include "common/dos_time.h"
#include "common/status.h"
#include "platform/file.h"
#include "platform/ui.h"
#include "tape/tape_format.h"

namespace ox::tape {

namespace {

// The data block's bytes lie inside the file and its checksum is right.
bool DataBlockSound(const TapeImage* image, const TapeEntry* entry) {
  uint64_t offset = static_cast<uint64_t>(entry->data - image->view);
  uint32_t n = static_cast<uint32_t>(entry->record.packedSize);
  if (offset + n + 1 > image->size) return false;
  return TapeSumIsZero(entry->data - 1, n + 2);
}

int32_t Extract(const TapeEntry* entry, const char* destName) {
  plat::Handle out;
  if (!plat::OpenFile(destName, plat::kAccessWrite, plat::kShareNone, plat::Disposition::kCreateAlways,
                      plat::kHintSequential, &out))
    return kHostECreate;
  int32_t result = kHostSuccess;
  if (entry->data) {
    uint32_t n = static_cast<uint32_t>(entry->record.packedSize);
    uint32_t written = 0;
    // A write that moves fewer bytes than asked has failed as surely as one that reports it.
    if (!plat::WriteFile(out, entry->data, n, &written) || written != n) result = kHostEWrite;
  }
  if (result == kHostSuccess) {
    // The extracted file carries the time of extraction, to the DOS resolution.
    uint64_t fileTime;
    if (ox::DosDateTimeToUtcFileTime(CurrentDosDateTime(), &fileTime)) plat::SetFileLastWriteTime(out, fileTime);
  }
  if (!plat::CloseFile(out) && result == kHostSuccess) result = kHostEClose;
  return result;
}

}  // namespace

const host::HeaderRecord* CurrentTapeRecord(const TapeImage* image) {
  if (image->next >= image->entries.count()) return nullptr;
  return &image->entry(image->next)->record;
}

int32_t ProcessTapeEntry(TapeImage* image, int32_t operation, const char* destPath, const char* destName) {
  // Outside the host's order there may be no entry left: nothing beyond the list is read.
  if (image->next >= image->entries.count()) return kHostEndArchive;
  const TapeEntry* entry = image->entry(image->next++);
  if (operation == host::kSkip) return kHostSuccess;
  if (destPath) {
    plat::ShowMessageBox(nullptr, "DestPath is not null.\nPlease report this error to plugin author.",
                         "Vorkel error", plat::kBoxIconError | plat::kBoxTaskModal);
    return kHostNotSupported;
  }
  if (entry->data && !DataBlockSound(image, entry)) return kHostBadArchive;
  if (operation != host::kExtract) return kHostSuccess;
  return Extract(entry, destName);
}

}  // namespace ox::tape
