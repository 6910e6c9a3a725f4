#include "image_builder.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "common/bytes.h"
#include "disk/layout.h"

namespace oxtest {

using namespace ox::disk;

ImageBuilder::ImageBuilder(uint32_t sectors, uint32_t usable) : image_(sectors * 1024), fat_(kFatSize) {
  if (usable == 0) usable = sectors;
  memcpy(image_.data(), kBootTemplate, boot::kTemplateLength);
  ox::WriteU16(image_.data() + boot::kTracks, 82);
  ox::WriteU16(image_.data() + boot::kSectorsPerTrack, 11);
  ox::WriteU16(image_.data() + boot::kSides, 2);
  SetFat(1, 0xFF00);
  SetFat(2, 0xC003);
  SetFat(3, 0xC004);
  SetFat(4, 0xC005);
  SetFat(5, 0x8400);
  SetFat(6, 0xC007);
  SetFat(7, 0xC008);
  SetFat(8, 0xC009);
  SetFat(9, 0x8400);
  SetFat(10, 0x8400);
  for (uint32_t s = usable; s < kFatSectorLimit; ++s) SetFat(s, 0xFFFF);
  for (uint32_t s = usable; s < sectors; ++s) memset(Sector(s), 0xFF, 1024);
  WriteFat();
}

uint16_t ImageBuilder::Fat(uint32_t sector) const { return ox::ReadU16(fat_.data() + 2 * sector); }
void ImageBuilder::SetFat(uint32_t sector, uint16_t value) { ox::WriteU16(fat_.data() + 2 * sector, value); }

void ImageBuilder::WriteFat() {
  uint32_t sum = 0;
  for (uint32_t i = 2; i < kFatSize; ++i) sum += fat_[i];
  fat_[1] = static_cast<uint8_t>(sum);
  for (uint32_t part = 0; part < 4; ++part) {
    memcpy(Sector(2 + part), fat_.data() + part * 1024, 1024);
    memcpy(Sector(6 + part), fat_.data() + part * 1024, 1024);
  }
}

std::vector<uint8_t> ImageBuilder::Build() {
  WriteFat();
  return image_;
}

uint32_t ImageBuilder::NextFreeSector(uint32_t from) const {
  uint32_t limit = static_cast<uint32_t>(image_.size() / 1024);
  if (limit > kFatSectorLimit) limit = kFatSectorLimit;
  for (uint32_t s = from; s < limit; ++s)
    if (!(Fat(s) & 0x8000)) return s;
  throw std::runtime_error("test image is full");
}

uint32_t ImageBuilder::StoreChain(const std::vector<uint8_t>& data, uint32_t from) {
  uint32_t first = 0, previous = 0;
  size_t done = 0;
  do {
    uint32_t s = NextFreeSector(from ? from : nextData_);
    if (!from) nextData_ = s + 1;
    else from = s + 1;
    size_t n = data.size() - done < 1024 ? data.size() - done : 1024;
    if (n) memcpy(Sector(s), data.data() + done, n);
    done += n;
    SetFat(s, static_cast<uint16_t>(0x8000 + n));
    if (previous) SetFat(previous, static_cast<uint16_t>(0xC000 | s));
    else first = s;
    previous = s;
  } while (done < data.size());
  return first;
}

uint32_t ImageBuilder::AddDirectory(int number, int parent, const std::string& name, uint32_t dateTime) {
  uint32_t s = NextFreeSector(nextData_);
  nextData_ = s + 1;
  SetFat(s, 0x8400);
  uint8_t* rec = Sector(s);
  memset(rec, 0, 1024);
  rec[dirrec::kFlags] = 0x80;
  ox::WriteU32(rec + dirrec::kDateTime, dateTime);
  rec[dirrec::kParent] = static_cast<uint8_t>(parent);
  memset(rec + dirrec::kName, ' ', dirrec::kNameLength);
  memcpy(rec + dirrec::kName, name.data(), name.size() < 26 ? name.size() : 26);
  uint8_t* slotBytes = Sector(10) + number * slot::kSize;
  uint8_t check = 0;
  for (int i = 6; i < 16; ++i) check ^= rec[i];
  slotBytes[slot::kInUse] = slot::kInUseMark;
  slotBytes[slot::kNameCheck] = check;
  ox::WriteU16(slotBytes + slot::kWord, static_cast<uint16_t>(slot::kWordInUse | s));
  return s;
}

uint32_t ImageBuilder::AddFile(int directory, const FileSpec& file) {
  uint8_t* slotBytes = Sector(10) + directory * slot::kSize;
  uint32_t s = ox::ReadU16(slotBytes + slot::kWord) & 0x3FFF;
  uint32_t record = 1;
  for (;;) {
    for (; record < 32; ++record)
      if (Sector(s)[record * 32] == 0) break;
    if (record < 32) break;
    uint16_t e = Fat(s);
    if (e & 0x4000) {
      s = e & 0x3FFF;
    } else {
      uint32_t grown = NextFreeSector(nextData_);
      nextData_ = grown + 1;
      memset(Sector(grown), 0, 1024);
      SetFat(s, static_cast<uint16_t>(0xC000 | grown));
      SetFat(grown, 0x8400);
      s = grown;
    }
    record = 0;
  }
  uint8_t* e = Sector(s) + record * 32;
  e[entry::kFlags] = file.flags;
  ox::WriteU32(e + entry::kDateTime, file.dateTime);
  e[entry::kType] = file.type;
  memset(e + entry::kName, ' ', entry::kNameLength);
  memcpy(e + entry::kName, file.name.data(), file.name.size() < 10 ? file.name.size() : 10);
  ox::WriteU16(e + entry::kLength, file.length);
  ox::WriteU16(e + entry::kParam1, file.param1);
  ox::WriteU16(e + entry::kParam2, file.param2);
  ox::WriteU16(e + entry::kBodyAddress, file.bodyAddress);
  ox::WriteU32(e + entry::kBodyLength, static_cast<uint32_t>(file.data.size()));
  e[entry::kBodyFlags] = file.bodyFlags;
  e[entry::kAttributes] = file.attributes;
  ox::WriteU16(e + entry::kFirstSector, file.data.empty() ? 0 : static_cast<uint16_t>(StoreChain(file.data)));
  return static_cast<uint32_t>(e - image_.data());
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return bytes;
  uint8_t buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  fclose(f);
  return bytes;
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

void WriteTextFile(const std::string& path, const std::string& text) {
  WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string ReadTextFile(const std::string& path) {
  std::vector<uint8_t> bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace oxtest
