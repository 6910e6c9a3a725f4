#include "tape/tape_format.h"

namespace ox::tape {

namespace {
uint8_t Xor(const uint8_t* bytes, uint32_t n) {
  uint8_t sum = 0;
  for (uint32_t i = 0; i < n; ++i) sum ^= bytes[i];
  return sum;
}
}  // namespace

bool TapeSumIsZero(const uint8_t* bytes, uint32_t n) { return Xor(bytes, n) == 0; }

void PutTapeSum(uint8_t* bytes, uint32_t n) { bytes[n] = Xor(bytes, n); }

}  // namespace ox::tape
