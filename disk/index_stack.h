// A stack of node numbers with a hard limit on its size. The component search
// keeps the directories of the parent chain it follows here, so the limit bounds
// how deep a chain an image may make it follow.
#pragma once
#include <cstdint>

#include "common/status.h"

namespace ox::disk {

struct IndexStack {
  static constexpr uint32_t kMaxLimit = 2000000000u;

  uint32_t capacity = 0;
  uint32_t limit = 0;
  uint32_t* items = nullptr;
  uint32_t top = 0;

  IndexStack() = default;
  IndexStack(const IndexStack&) = delete;
  IndexStack& operator=(const IndexStack&) = delete;
  ~IndexStack() { Free(); }

  // Room for `capacity` items now, never more than `limit`.
  Status Make(uint32_t capacity, uint32_t limit);
  // Grows by doubling up to the limit; a full stack at its limit overflows.
  Status Push(uint32_t x);
  // The caller never pops an empty stack.
  uint32_t Pop() { return items[--top]; }
  bool empty() const { return top == 0; }
  void Free();
};

}  // namespace ox::disk
