#include "disk/volume.h"

#include <cstring>

#include "common/bytes.h"

namespace ox::disk {

uint16_t FatEntry(const DiskVolume& v, uint32_t sector) { return ReadU16(v.fat + 2 * sector); }
void SetFatEntry(DiskVolume& v, uint32_t sector, uint16_t value) { WriteU16(v.fat + 2 * sector, value); }

uint8_t FatChecksum(const uint8_t* fat) {
  uint32_t sum = 0;
  for (uint32_t i = 2; i < kFatSize; ++i) sum += fat[i];
  return static_cast<uint8_t>(sum);
}

Status OpenVolume(DiskVolume* v, uint8_t* image, uint32_t size, bool verify) {
  if (size < kSectorSize || size % kSectorSize != 0) return HostCode(kHostUnknownFormat);
  v->image = image;
  v->size = size;
  v->sectorCount = size / kSectorSize;
  const uint8_t* b = image;
  v->fat1Sectors[0] = ReadU16(b + boot::kFat1Part1);
  v->fat1Sectors[1] = b[boot::kFat1Part2];
  v->fat1Sectors[2] = b[boot::kFat1Part3];
  v->fat1Sectors[3] = b[boot::kFat1Part4];
  v->fat2Sectors[0] = ReadU24(b + boot::kFat2Part1);
  v->fat2Sectors[1] = b[boot::kFat2Part2];
  v->fat2Sectors[2] = b[boot::kFat2Part3];
  v->fat2Sectors[3] = b[boot::kFat2Part4];
  for (uint32_t i = 0; i < kFatPartCount; ++i) {
    if (v->fat1Sectors[i] >= v->sectorCount || v->fat2Sectors[i] >= v->sectorCount) return HostCode(kHostBadData);
    memcpy(v->fat + i * kSectorSize, SectorBytes(*v, v->fat1Sectors[i]), kSectorSize);
  }
  uint16_t fatLength = ReadU16(b + boot::kFatLength);
  if (static_cast<uint32_t>(ReadU16(b + boot::kFatSectorCount)) * kSectorSize != fatLength ||
      fatLength != kFatSize)
    return HostCode(kHostUnknownFormat);
  if (ReadU16(b + boot::kTracks) == 0 || ReadU16(b + boot::kSectorsPerTrack) == 0 || ReadU16(b + boot::kSides) == 0)
    return HostCode(kHostUnknownFormat);
  if (ReadU16(b + boot::kDirectoryTableSector) >= v->sectorCount) return HostCode(kHostBadData);
  if (verify && FatChecksum(v->fat) != v->fat[fat::kChecksum]) return HostCode(kHostBadArchive);
  return Success();
}

Status OpenChain(ChainReader* r, DiskVolume* v, int32_t first, bool whole) {
  r->length = 0;
  r->volume = v;
  if (first == -1) {
    r->position = 0;
    r->current = -1;
    return Success();
  }
  if (first < 0 || !IsValidSector(*v, static_cast<uint32_t>(first))) return HostCode(kHostBadData);
  uint32_t s = static_cast<uint32_t>(first);
  uint32_t length = 0;
  // Counting links makes a chain that loops back on itself bad data, not an endless walk.
  for (uint32_t k = 0;;) {
    uint16_t e = FatEntry(*v, s);
    if (!(e & kFatUsed)) return HostCode(kHostBadData);
    if (e & kFatContinues) {
      length += kSectorSize;
      if (k > v->sectorCount) return HostCode(kHostBadData);
      ++k;
      s = e & kFatValueMask;
      if (!IsValidSector(*v, s)) return HostCode(kHostBadData);
      continue;
    }
    if (whole) {
      length += kSectorSize;
    } else {
      uint32_t n = e & kFatValueMask;
      if (n > kSectorSize) return HostCode(kHostBadData);
      length += n;
    }
    break;
  }
  r->length = length;
  r->position = 0;
  r->current = first;
  return Success();
}

uint32_t ReadChain(ChainReader* r, void* buffer, uint32_t count) {
  if (r->current == -1) return 0;
  uint32_t left = r->length - r->position;
  if (count > left) count = left;
  auto* out = static_cast<uint8_t*>(buffer);
  uint32_t copied = 0;
  while (copied < count) {
    uint32_t offset = r->position % kSectorSize;
    uint32_t n = kSectorSize - offset;
    if (n > count - copied) n = count - copied;
    memcpy(out + copied, SectorBytes(*r->volume, static_cast<uint32_t>(r->current)) + offset, n);
    copied += n;
    r->position += n;
    if (r->position < r->length && r->position % kSectorSize == 0)
      r->current = FatEntry(*r->volume, static_cast<uint32_t>(r->current)) & kFatValueMask;
  }
  return count;
}

namespace {

struct Run {
  uint32_t start = 0;
  uint32_t length = 0;
};

// Finds the shortest free run of at least `need` sectors (the earliest on a tie)
// and the longest free run (the earliest on a tie) from `start` up to `limit`.
void ScanRuns(const DiskVolume& v, const bool* marked, uint32_t start, uint32_t limit, uint32_t need,
              Run* bestFit, Run* largest) {
  *bestFit = Run{};
  *largest = Run{};
  uint32_t j = start;
  while (j < limit) {
    if ((FatEntry(v, j) & kFatUsed) || marked[j]) {
      ++j;
      continue;
    }
    uint32_t runStart = j;
    while (j < limit && !(FatEntry(v, j) & kFatUsed) && !marked[j]) ++j;
    Run run{runStart, j - runStart};
    if (run.length >= need && (bestFit->length == 0 || run.length < bestFit->length)) *bestFit = run;
    if (run.length > largest->length) *largest = run;
  }
}

}  // namespace

Status AllocateChain(DiskVolume* v, const uint8_t* data, uint32_t count, int32_t* first) {
  *first = -1;
  const uint32_t limit = v->sectorCount < kFatSectorLimit ? v->sectorCount : kFatSectorLimit;
  bool marked[kFatSectorLimit] = {};
  uint32_t need = count / kSectorSize + (count % kSectorSize ? 1 : 0);
  constexpr uint32_t kHighArea = 128;
  while (need > 0) {
    Run bestFit, largest;
    ScanRuns(*v, marked, kHighArea, limit, need, &bestFit, &largest);
    if (largest.length == 0) {
      ScanRuns(*v, marked, 1, limit, need, &bestFit, &largest);
      if (largest.length == 0) return NoSpace();
    }
    Run take = bestFit.length ? bestFit : largest;
    uint32_t n = take.length < need ? take.length : need;
    for (uint32_t i = 0; i < n; ++i) marked[take.start + i] = true;
    need -= n;
  }
  // The chain runs through the marked sectors in ascending order.
  uint32_t left = count;
  int32_t previous = -1;
  for (uint32_t s = 1; s < limit && left > 0; ++s) {
    if (!marked[s]) continue;
    uint32_t n = left < kSectorSize ? left : kSectorSize;
    memcpy(SectorBytes(*v, s), data + (count - left), n);
    left -= n;
    SetFatEntry(*v, s, left == 0 ? static_cast<uint16_t>(kFatUsed + n) : static_cast<uint16_t>(kFatUsed | kFatContinues));
    if (previous >= 0) SetFatEntry(*v, static_cast<uint32_t>(previous), static_cast<uint16_t>(FatEntry(*v, previous) + s));
    else *first = static_cast<int32_t>(s);
    previous = static_cast<int32_t>(s);
  }
  return Success();
}

void FlushFat(DiskVolume* v) {
  v->fat[fat::kCounter] = static_cast<uint8_t>(v->fat[fat::kCounter] + 1);
  v->fat[fat::kChecksum] = FatChecksum(v->fat);
  for (uint32_t i = 0; i < kFatPartCount; ++i) {
    memcpy(SectorBytes(*v, v->fat1Sectors[i]), v->fat + i * kSectorSize, kSectorSize);
    memcpy(SectorBytes(*v, v->fat2Sectors[i]), v->fat + i * kSectorSize, kSectorSize);
  }
}

}  // namespace ox::disk
