// The TAP format: blocks laid end to end, each a 16-bit length L (flag byte, body and
// checksum byte), the flag byte, L - 2 body bytes and a checksum byte that makes the
// XOR of the L bytes 0. A header block is L = 19 with flag 0 and a 17-byte ZxHeader body.
#pragma once
#include <cstdint>

namespace ox::tape {

constexpr uint32_t kBlockLengthBytes = 2;
constexpr uint32_t kHeaderBlockLength = 19;  // L of a header block
constexpr uint32_t kHeaderBlockBytes = 21;   // a header block in the file
constexpr uint32_t kZxHeaderBytes = 17;
constexpr uint8_t kHeaderFlag = 0;
constexpr uint8_t kDataFlag = 255;
// The largest file a data block can carry: its length word counts the flag and checksum too.
constexpr uint32_t kMaxFileBytes = 65533;

// Offsets inside a ZxHeader.
namespace zx {
constexpr uint32_t kType = 0;
constexpr uint32_t kName = 1;
constexpr uint32_t kNameBytes = 10;
constexpr uint32_t kLength = 11;
constexpr uint32_t kParam1 = 13;
constexpr uint32_t kParam2 = 15;
}  // namespace zx

// True when the XOR of the n bytes is 0 (so for n = 0).
bool TapeSumIsZero(const uint8_t* bytes, uint32_t n);
// Stores the XOR of the n bytes in the byte that follows them.
void PutTapeSum(uint8_t* bytes, uint32_t n);

}  // namespace ox::tape
