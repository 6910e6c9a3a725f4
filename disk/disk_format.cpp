#include "disk/disk_format.h"

#include <cstring>

#include "common/bytes.h"
#include "platform/time.h"

namespace ox::disk {

const DiskFormat kDiskFormats[kDiskFormatCount] = {
    {82, 11, 1804, 1804, "82*11*2"},   {82, 11, 2048, 1804, "82*11*2 (2.0Mb)"},
    {127, 8, 2032, 2032, "127*8*2"},   {127, 8, 2048, 2032, "127*8*2 (2.0Mb)"},
    {146, 7, 2044, 2044, "146*7*2"},   {146, 7, 2048, 2044, "146*7*2 (2.0Mb)"},
    {93, 11, 2046, 2046, "93*11*2"},   {93, 11, 2048, 2046, "93*11*2 (2.0Mb)"},
    {128, 8, 2047, 2047, "128*8*2"},   {128, 8, 2048, 2047, "128*8*2 (2.0Mb)"},
};

const DiskFormat& DiskFormatAt(int32_t index) {
  return index >= 0 && index < static_cast<int32_t>(kDiskFormatCount) ? kDiskFormats[index] : kDiskFormats[0];
}

namespace {

// Nothing reads the disk identifier back; any clock-seeded generator will do.
class IdentifierGenerator {
 public:
  explicit IdentifierGenerator(uint32_t seed) : state_(seed) {}
  uint8_t Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<uint8_t>(state_ >> 16);
  }

 private:
  uint32_t state_;
};

void WriteGeometry(uint8_t* boot, const DiskFormat& row) {
  WriteU16(boot + boot::kTracks, row.tracks);
  WriteU16(boot + boot::kSectorsPerTrack, row.sectorsPerTrack);
  WriteU16(boot + boot::kSides, 2);
  WriteU16(boot + boot::kDirectoryTableSector, 10);
  WriteU16(boot + boot::kFatSectorCount, 4);
  WriteU16(boot + boot::kFatLength, kFatSize);
  WriteU16(boot + boot::kFat1Part1, 2);
  WriteU24(boot + boot::kFat2Part1, 6);
  static const uint8_t kOtherParts[] = {3, 7, 4, 8, 5, 9};
  memcpy(boot + boot::kFat1Part2, kOtherParts, sizeof kOtherParts);
}

void WriteDiskIdentifier(uint8_t* boot) {
  IdentifierGenerator generator(plat::TickCount());
  uint8_t check = 0;
  for (uint32_t i = 0; i < boot::kDiskIdLength; ++i) {
    boot[boot::kDiskId + i] = generator.Next();
    check ^= boot[boot::kDiskId + i];
  }
  boot[boot::kDiskIdCheck] = check;
}

// The FAT entries of a new disk: the reserved sector 1, both FAT copies and the
// DirectoryTable as chains of their own, and every sector not on the disk in use.
void WriteFirstFat(uint8_t* fat, const DiskFormat& row) {
  for (uint32_t s = 0; s < kFatSectorLimit; ++s) WriteU16(fat + 2 * s, s < row.usableSectors ? 0 : 0xFFFF);
  static const uint16_t kSystem[] = {0xFF00, 0xC003, 0xC004, 0xC005, 0x8400, 0xC007, 0xC008, 0xC009, 0x8400, 0x8400};
  for (uint32_t i = 0; i < sizeof kSystem / sizeof kSystem[0]; ++i) WriteU16(fat + 2 * (i + 1), kSystem[i]);
  WriteU16(fat, 0);  // the update counter and the checksum
}

}  // namespace

void BuildNewImage(uint8_t* image, const DiskFormat& row, const uint8_t bootSector[kSectorSize]) {
  memset(image, 0, static_cast<size_t>(row.imageSectors) * kSectorSize);
  if (row.imageSectors > row.usableSectors)
    memset(image + static_cast<size_t>(row.usableSectors) * kSectorSize, 0xFF,
           static_cast<size_t>(row.imageSectors - row.usableSectors) * kSectorSize);
  memcpy(image, bootSector, kSectorSize);
  WriteGeometry(image, row);
  WriteFirstFat(image + 2 * kSectorSize, row);
  WriteDiskIdentifier(image);
}

}  // namespace ox::disk
