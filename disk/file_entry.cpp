#include "disk/file_entry.h"

#include <cstring>

#include "common/bytes.h"
#include "common/dos_time.h"
#include "common/naming.h"
#include "disk/directory_table.h"
#include "disk/layout.h"
#include "platform/time.h"

namespace ox::disk {

namespace {

void BuildEntry(const char* name, size_t nameLength, uint32_t size, uint64_t localTime, int32_t first,
                const NamingMode& mode, uint8_t e[kRecordSize]) {
  uint16_t date, time;
  uint32_t dos = plat::FileTimeToDosDateTime(localTime, &date, &time)
                     ? time | (static_cast<uint32_t>(date) << 16)
                     : CurrentDosDateTime();
  ZxHeader header{};
  header.type = 3;
  header.length = static_cast<uint16_t>(size);
  HeaderExtras extras{0, 0xFF, 0};
  ParseFileName(name, nameLength, mode, &header, &extras);
  memset(e, 0, kRecordSize);
  e[entry::kFlags] = entry::kInUse | entry::kIsFile | entry::kHasHeader;
  WriteU32(e + entry::kDateTime, dos);
  WriteZxHeader(e + entry::kHeader, header);
  WriteU16(e + entry::kBodyAddress, extras.bodyAddress);
  WriteU32(e + entry::kBodyLength, size);
  e[entry::kBodyFlags] = extras.bodyFlags;
  e[entry::kAttributes] = extras.attributes;
  WriteU16(e + entry::kFirstSector, static_cast<uint16_t>(first > 0 ? first : 0));
}

bool IsFreeSlot(const uint8_t* record) {
  for (uint32_t i = 0; i < kRecordSize; ++i)
    if (record[i]) return false;
  return true;
}

// Puts the entry into the first all-zero slot of the directory's chain, or into a
// sector added after its last one.
Status StoreEntry(DiskVolume* v, int32_t directory, const uint8_t e[kRecordSize]) {
  uint32_t s = SlotFirstSector(*v, directory);
  if (s == 0) return HostCode(kHostBadData);
  for (uint32_t links = 0;;) {
    if (!IsValidSector(*v, s) || !(FatEntry(*v, s) & kFatUsed)) return HostCode(kHostBadData);
    uint8_t* sector = SectorBytes(*v, s);
    for (uint32_t i = 0; i < kRecordsPerSector; ++i) {
      if (IsFreeSlot(sector + i * kRecordSize)) {
        memcpy(sector + i * kRecordSize, e, kRecordSize);
        return Success();
      }
    }
    uint16_t link = FatEntry(*v, s);
    if (!(link & kFatContinues)) break;
    s = link & kFatValueMask;
    if (s == 0 || ++links > v->sectorCount) return HostCode(kHostBadData);
  }
  // The first free sector after the last one, going round the disk, never sector 0.
  for (uint32_t i = 0; i < v->sectorCount; ++i) {
    uint32_t n = (s + i) % v->sectorCount;
    if (n == 0 || n >= kFatSectorLimit || (FatEntry(*v, n) & kFatUsed)) continue;
    uint8_t* sector = SectorBytes(*v, n);
    memset(sector, 0, kSectorSize);
    memcpy(sector, e, kRecordSize);
    SetFatEntry(*v, s, static_cast<uint16_t>(n | kFatUsed | kFatContinues));
    SetFatEntry(*v, n, static_cast<uint16_t>(kFatUsed | kSectorSize));
    return Success();
  }
  return NoSpace();
}

}  // namespace

Status CreateFileEntry(TreeNode* target, const char* name, size_t nameLength, const uint8_t* data, uint32_t size,
                       uint64_t localTime, const NamingMode& mode) {
  if (!target->isDirectory || !target->hasRecord) return ShownMessage("Cannot create file in specified dir");
  int32_t first = -1;
  if (size > 0) OX_TRY(AllocateChain(target->volume, data, size, &first));
  uint8_t e[kRecordSize];
  BuildEntry(name, nameLength, size, localTime, first, mode, e);
  return StoreEntry(target->volume, target->directoryNumber, e);
}

}  // namespace ox::disk
