#include "disk/index_stack.h"

#include <cstddef>
#include <cstring>

#include "common/alloc.h"

namespace ox::disk {

namespace {

uint32_t* AllocateItems(uint32_t count) {
  uint64_t bytes = static_cast<uint64_t>(count) * sizeof(uint32_t);
  if (bytes > SIZE_MAX) return nullptr;  // a 32-bit process cannot address it
  return static_cast<uint32_t*>(Allocate(static_cast<size_t>(bytes)));
}

}  // namespace

Status IndexStack::Make(uint32_t c, uint32_t l) {
  if (l > kMaxLimit) return SilentMessage("Capacity of stack is too large");
  if (c > l) return SilentMessage("Capacity of stack too large");
  uint32_t* made = AllocateItems(c);
  if (!made) return OutOfMemory();
  Free();
  items = made;
  capacity = c;
  limit = l;
  top = 0;
  return Success();
}

Status IndexStack::Push(uint32_t x) {
  if (top == capacity) {
    if (capacity >= limit) return SilentMessage("Overflow of Stack");
    uint64_t doubled = static_cast<uint64_t>(capacity) * 2;
    uint32_t grown = capacity == 0 ? 1 : static_cast<uint32_t>(doubled < limit ? doubled : limit);
    uint32_t* made = AllocateItems(grown);
    if (!made) return OutOfMemory();
    if (top) memcpy(made, items, static_cast<size_t>(top) * sizeof(uint32_t));
    Release(items);
    items = made;
    capacity = grown;
  }
  items[top++] = x;
  return Success();
}

void IndexStack::Free() {
  Release(items);
  items = nullptr;
  capacity = 0;
  top = 0;
}

}  // namespace ox::disk
