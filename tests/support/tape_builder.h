// Builds the bytes of small tape images for tests: header blocks, data blocks, raw
// bytes and damaged checksums, laid end to end as in a .tap file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace oxtest {

class TapeBuilder {
 public:
  // A header block (length 19, flag 0) with a right checksum; the name is space-padded to 10.
  TapeBuilder& Header(uint8_t type, const std::string& name, uint16_t length, uint16_t param1 = 0,
                      uint16_t param2 = 0);
  // A block with this flag and body and a right checksum.
  TapeBuilder& Block(uint8_t flag, const std::vector<uint8_t>& body);
  TapeBuilder& Data(const std::vector<uint8_t>& body) { return Block(255, body); }
  // A header and its data block, the header's length taken from the body.
  TapeBuilder& File(uint8_t type, const std::string& name, const std::vector<uint8_t>& body, uint16_t param1 = 0,
                    uint16_t param2 = 0);
  TapeBuilder& Raw(const std::vector<uint8_t>& bytes);
  // Spoils the checksum of the last block added.
  TapeBuilder& BreakSum();

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  // Where each block starts.
  const std::vector<size_t>& blocks() const { return blocks_; }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<size_t> blocks_;
};

// n bytes of a repeatable pattern that differs with the seed.
std::vector<uint8_t> Pattern(size_t n, uint8_t seed = 1);

}  // namespace oxtest
