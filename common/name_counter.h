// Counts, for each name in turn, how many equal names of the same kind came before
// it: the duplicate index of a listed entry. Linear in the number of names, so a
// directory or tape of tens of thousands of entries lists quickly.
#pragma once
#include <cstdint>

#include "common/status.h"

namespace ox {

class NameCounter {
 public:
  NameCounter() = default;
  NameCounter(const NameCounter&) = delete;
  NameCounter& operator=(const NameCounter&) = delete;
  ~NameCounter();

  // Sizes the table for `expected` names.
  Status Init(uint32_t expected);
  // *earlier = the number of equal (kind, name) pairs counted so far; then counts this one.
  Status Count(uint8_t kind, const char* name, uint32_t* earlier);

 private:
  struct Slot;
  struct Chunk;
  char* Keep(const char* name, uint32_t length);

  Slot* slots_ = nullptr;
  uint32_t mask_ = 0;
  Chunk* chunks_ = nullptr;
};

}  // namespace ox
