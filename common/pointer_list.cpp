#include "common/pointer_list.h"

#include <cstring>

#include "common/alloc.h"

namespace ox {

Status PointerList::Init(uint32_t capacity) {
  Free();
  auto* items = static_cast<uintptr_t*>(Allocate(static_cast<size_t>(capacity) * sizeof(uintptr_t)));
  if (!items) return OutOfMemory();
  items_ = items;
  capacity_ = capacity;
  count_ = 0;
  return Success();
}

Status PointerList::Append(uintptr_t item) {
  if (count_ == capacity_) {
    if (capacity_ >= kMaxCapacity) return SilentMessage("Capacity of list too large");
    uint32_t grown = capacity_ == 0 ? 1 : (capacity_ > kMaxCapacity / 2 ? kMaxCapacity : capacity_ * 2);
    auto* items = static_cast<uintptr_t*>(Allocate(static_cast<size_t>(grown) * sizeof(uintptr_t)));
    if (!items) return OutOfMemory();
    if (count_) memcpy(items, items_, static_cast<size_t>(count_) * sizeof(uintptr_t));
    Release(items_);
    items_ = items;
    capacity_ = grown;
  }
  items_[count_++] = item;
  return Success();
}

void PointerList::Free() {
  Release(items_);
  items_ = nullptr;
  capacity_ = 0;
  count_ = 0;
}

}  // namespace ox
