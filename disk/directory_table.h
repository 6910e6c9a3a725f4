// The DirectoryTable: one 4-byte DirectorySlot per directory number, in the
// sector the boot sector names.
#pragma once
#include <cstdint>

#include "common/bytes.h"
#include "disk/layout.h"
#include "disk/volume.h"

namespace ox::disk {

// OpenVolume has checked that the table's sector lies inside the image.
inline uint8_t* DirectorySlotBytes(const DiskVolume& v, int32_t number) {
  return SectorBytes(v, ReadU16(v.image + boot::kDirectoryTableSector)) + number * slot::kSize;
}

inline bool IsSlotInUse(const DiskVolume& v, int32_t number) {
  const uint8_t* s = DirectorySlotBytes(v, number);
  return s[slot::kInUse] == slot::kInUseMark && (ReadU16(s + slot::kWord) & slot::kWordInUse) != 0;
}

// First sector of the directory's chain.
inline uint32_t SlotFirstSector(const DiskVolume& v, int32_t number) {
  return ReadU16(DirectorySlotBytes(v, number) + slot::kWord) & kFatValueMask;
}

}  // namespace ox::disk
