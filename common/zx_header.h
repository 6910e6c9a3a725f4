// The Spectrum file header and the three further values a PC name carries after it.
#pragma once
#include <cstdint>
#include <cstring>

#include "common/bytes.h"

namespace ox {

constexpr uint32_t kZxHeaderSize = 17;
constexpr uint32_t kZxNameLength = 10;

struct ZxHeader {
  uint8_t type;
  uint8_t name[kZxNameLength];  // space-padded
  uint16_t length;
  uint16_t param1;
  uint16_t param2;
};

struct HeaderExtras {
  uint16_t bodyAddress;
  uint8_t bodyFlags;
  uint8_t attributes;
};

// What the tape plugin writes into every name, having nowhere to keep them.
constexpr HeaderExtras kTapeHeaderExtras{0, 255, 1};

// The 17 stored bytes: type, name, then length, parameter 1 and parameter 2 little-endian.
inline ZxHeader ReadZxHeader(const uint8_t* p) {
  ZxHeader h;
  h.type = p[0];
  memcpy(h.name, p + 1, kZxNameLength);
  h.length = ReadU16(p + 11);
  h.param1 = ReadU16(p + 13);
  h.param2 = ReadU16(p + 15);
  return h;
}

inline void WriteZxHeader(uint8_t* p, const ZxHeader& h) {
  p[0] = h.type;
  memcpy(p + 1, h.name, kZxNameLength);
  WriteU16(p + 11, h.length);
  WriteU16(p + 13, h.param1);
  WriteU16(p + 15, h.param2);
}

}  // namespace ox
