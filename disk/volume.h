// A disk image's bytes as a volume: its FAT copy, and the sector chains within it.
#pragma once
#include <cstdint>

#include "common/status.h"
#include "disk/layout.h"

namespace ox::disk {

struct TreeNode;

struct DiskVolume {
  uint8_t* image;  // the mapping (reading side, never written) or a heap copy (writing side); not owned
  uint32_t size;
  uint32_t sectorCount;
  TreeNode* directoryNodes[kDirectoryCount];  // owned by the tree
  uint8_t fat[kFatSize];
  uint32_t fat1Sectors[kFatPartCount];
  uint32_t fat2Sectors[kFatPartCount];
};

struct ChainReader {
  uint32_t position;
  uint32_t length;
  DiskVolume* volume;
  int32_t current;  // sector holding the byte at position; -1 for an empty chain
};

// A sector the FAT can describe and the image holds.
inline bool IsValidSector(const DiskVolume& v, uint32_t s) { return s < v.sectorCount && s < kFatSectorLimit; }
uint16_t FatEntry(const DiskVolume& v, uint32_t sector);
void SetFatEntry(DiskVolume& v, uint32_t sector, uint16_t value);
inline uint8_t* SectorBytes(const DiskVolume& v, uint32_t sector) { return v.image + sector * kSectorSize; }

Status OpenVolume(DiskVolume* volume, uint8_t* image, uint32_t size, bool verify);
// first = -1: no chain. whole: directory mode, every sector counts 1024 bytes.
Status OpenChain(ChainReader* reader, DiskVolume* volume, int32_t first, bool whole);
uint32_t ReadChain(ChainReader* reader, void* buffer, uint32_t count);
Status AllocateChain(DiskVolume* volume, const uint8_t* data, uint32_t count, int32_t* first);
void FlushFat(DiskVolume* volume);

// Sum of FAT bytes 2 to 4095, modulo 256.
uint8_t FatChecksum(const uint8_t* fat);

}  // namespace ox::disk
