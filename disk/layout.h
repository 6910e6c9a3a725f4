// The MB-02 disk image format: sizes, offsets and the built-in boot template.
#pragma once
#include <cstdint>

namespace ox::disk {

constexpr uint32_t kSectorSize = 1024;
constexpr uint32_t kMaxImageSize = 67108864;  // the reading side's limit, 64 MiB
constexpr uint32_t kFatSize = 4096;
constexpr uint32_t kFatPartCount = 4;
constexpr uint32_t kFatSectorLimit = 2048;  // the FAT has entries for sectors 1 to 2047
constexpr uint32_t kDirectoryCount = 256;
constexpr uint32_t kRecordSize = 32;
constexpr uint32_t kRecordsPerSector = kSectorSize / kRecordSize;

// FAT entry bits.
constexpr uint16_t kFatUsed = 0x8000;
constexpr uint16_t kFatContinues = 0x4000;
constexpr uint16_t kFatValueMask = 0x3FFF;

// BootSector fields.
namespace boot {
constexpr uint32_t kTracks = 4;
constexpr uint32_t kSectorsPerTrack = 6;
constexpr uint32_t kSides = 8;
constexpr uint32_t kDirectoryTableSector = 12;
constexpr uint32_t kFatSectorCount = 14;
constexpr uint32_t kFatLength = 16;
constexpr uint32_t kFat1Part1 = 18;  // 16-bit
constexpr uint32_t kFat2Part1 = 20;  // 24-bit
constexpr uint32_t kFat1Part2 = 26, kFat2Part2 = 27;
constexpr uint32_t kFat1Part3 = 28, kFat2Part3 = 29;
constexpr uint32_t kFat1Part4 = 30, kFat2Part4 = 31;
constexpr uint32_t kDiskId = 64;
constexpr uint32_t kDiskIdLength = 31;
constexpr uint32_t kDiskIdCheck = 95;
constexpr uint32_t kTemplateLength = 96;
}  // namespace boot

// FAT layout.
namespace fat {
constexpr uint32_t kCounter = 0;
constexpr uint32_t kChecksum = 1;
}  // namespace fat

// DirectorySlot (4 bytes per directory number in the DirectoryTable).
namespace slot {
constexpr uint32_t kSize = 4;
constexpr uint32_t kInUse = 0;
constexpr uint32_t kNameCheck = 1;
constexpr uint32_t kWord = 2;
constexpr uint8_t kInUseMark = 0x80;
constexpr uint16_t kWordInUse = 0x8000;
}  // namespace slot

// DirectoryRecord: the first 32 bytes of a directory's first sector.
namespace dirrec {
constexpr uint32_t kFlags = 0;
constexpr uint32_t kDateTime = 1;
constexpr uint32_t kParent = 5;
constexpr uint32_t kName = 6;
constexpr uint32_t kNameLength = 26;
}  // namespace dirrec

// FileEntry (32 bytes).
namespace entry {
constexpr uint32_t kFlags = 0;
constexpr uint32_t kDateTime = 1;
constexpr uint32_t kHeader = 5;  // ZxHeader, 17 bytes
constexpr uint32_t kType = 5;
constexpr uint32_t kName = 6;
constexpr uint32_t kNameLength = 10;
constexpr uint32_t kLength = 16;
constexpr uint32_t kParam1 = 18;
constexpr uint32_t kParam2 = 20;
constexpr uint32_t kBodyAddress = 22;
constexpr uint32_t kBodyLength = 24;
constexpr uint32_t kBodyFlags = 28;
constexpr uint32_t kAttributes = 29;
constexpr uint32_t kFirstSector = 30;
constexpr uint8_t kInUse = 0x80;
constexpr uint8_t kIsFile = 0x20;
constexpr uint8_t kHasHeader = 0x10;
constexpr uint8_t kListedMask = 0xEF;
constexpr uint8_t kListedValue = 0xA0;
}  // namespace entry

extern const uint8_t kBootTemplate[boot::kTemplateLength];

}  // namespace ox::disk
