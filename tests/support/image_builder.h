// Builds the bytes of small disk images for tests: a formatted empty image,
// directories and files placed by hand, and raw FAT edits for damaged images.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace oxtest {

struct FileSpec {
  uint8_t flags = 0xB0;
  uint32_t dateTime = 0;
  uint8_t type = 3;
  std::string name = "file";  // space-padded to 10
  uint16_t length = 0;
  uint16_t param1 = 0;
  uint16_t param2 = 0;
  uint16_t bodyAddress = 0;
  uint8_t bodyFlags = 0xFF;
  uint8_t attributes = 0;
  std::vector<uint8_t> data;  // stored in a fresh chain; its size is the body length
};

class ImageBuilder {
 public:
  // A formatted empty image of `sectors` sectors (1804 = the 82*11*2 format),
  // of which `usable` exist on the disk.
  explicit ImageBuilder(uint32_t sectors = 1804, uint32_t usable = 0);

  // Makes directory `number` with the given parent, name and date; returns its first sector.
  uint32_t AddDirectory(int number, int parent, const std::string& name, uint32_t dateTime = 0);
  // Adds a file entry to a directory (its next free record, growing the directory
  // by a sector when full); returns the entry's byte offset in the image.
  uint32_t AddFile(int directory, const FileSpec& file);
  // Stores data in free sectors from `from` upward, linked as a chain; returns the first sector.
  uint32_t StoreChain(const std::vector<uint8_t>& data, uint32_t from = 0);

  uint16_t Fat(uint32_t sector) const;
  void SetFat(uint32_t sector, uint16_t value);
  // Writes the FAT into both areas with a correct checksum; keeps the counter.
  void WriteFat();
  std::vector<uint8_t> Build();
  std::vector<uint8_t>& bytes() { return image_; }
  uint8_t* Sector(uint32_t s) { return image_.data() + s * 1024; }
  // The DirectorySlot of a directory number, for damaging the table by hand.
  uint8_t* Slot(int number) { return Sector(10) + number * 4; }

 private:
  uint32_t NextFreeSector(uint32_t from) const;

  std::vector<uint8_t> image_;
  std::vector<uint8_t> fat_;
  uint32_t nextData_ = 11;
};

std::vector<uint8_t> ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);

}  // namespace oxtest
