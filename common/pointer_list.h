// A growable array of pointer-sized items (pointers, or small numbers such as
// directory numbers). It owns its array, not what the items point to.
#pragma once
#include <cstdint>

#include "common/status.h"

namespace ox {

class PointerList {
 public:
  static constexpr uint32_t kMaxCapacity = 2000000000u;

  PointerList() = default;
  PointerList(const PointerList&) = delete;
  PointerList& operator=(const PointerList&) = delete;
  ~PointerList() { Free(); }

  // Makes the list empty with room for `capacity` items; an empty list still owns a block.
  Status Init(uint32_t capacity = 0);
  Status Append(uintptr_t item);
  Status Append(const void* item) { return Append(reinterpret_cast<uintptr_t>(item)); }
  void Free();

  uint32_t count() const { return count_; }
  uint32_t capacity() const { return capacity_; }
  bool initialized() const { return items_ != nullptr; }
  uintptr_t at(uint32_t i) const { return items_[i]; }
  template <class T>
  T* ptr(uint32_t i) const { return reinterpret_cast<T*>(items_[i]); }
  void set(uint32_t i, uintptr_t v) { items_[i] = v; }
  // Removes the last item (the owner frees what it pointed to).
  void pop() { --count_; }

 private:
  uint32_t capacity_ = 0;
  uintptr_t* items_ = nullptr;
  uint32_t count_ = 0;
};

}  // namespace ox
