// The ten disk formats a new image can have, and the formatting of a new image.
#pragma once
#include <cstdint>

#include "disk/layout.h"

namespace ox::disk {

struct DiskFormat {
  uint8_t tracks;
  uint8_t sectorsPerTrack;
  uint32_t imageSectors;   // the file holds this many sectors
  uint32_t usableSectors;  // those that exist on the disk; the rest are marked unusable
  char label[16];
};

constexpr uint32_t kDiskFormatCount = 10;
extern const DiskFormat kDiskFormats[kDiskFormatCount];

// The row a NewImageFormat setting names; row 0 for any value outside the table.
const DiskFormat& DiskFormatAt(int32_t index);

// Fills `image` (row.imageSectors sectors) with an empty formatted disk: the boot
// sector from `bootSector` with the geometry written over it and a fresh disk
// identifier, FAT copy 1 describing the system sectors and the unusable ones, no
// directory. FAT copy 2 and the FAT checksum are left for the FAT flush.
void BuildNewImage(uint8_t* image, const DiskFormat& row, const uint8_t bootSector[kSectorSize]);

}  // namespace ox::disk
