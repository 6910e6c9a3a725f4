// Every heap allocation of the plugins goes through here, so a failed allocation
// is an ordinary result (never an exception) and tests can make any one of them fail.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace ox {

// Returns nullptr when the memory cannot be had (or a test made this allocation fail).
void* Allocate(size_t size);
void* AllocateZeroed(size_t size);
void Release(void* p);

template <class T, class... Args>
T* New(Args&&... args) {
  void* p = Allocate(sizeof(T));
  return p ? new (p) T(std::forward<Args>(args)...) : nullptr;
}

template <class T>
void Delete(T* p) {
  if (p) {
    p->~T();
    Release(p);
  }
}

// Owns one block from Allocate.
template <class T>
class HeapBlock {
 public:
  HeapBlock() = default;
  explicit HeapBlock(T* p) : p_(p) {}
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;
  HeapBlock(HeapBlock&& o) noexcept : p_(o.release()) {}
  HeapBlock& operator=(HeapBlock&& o) noexcept {
    reset(o.release());
    return *this;
  }
  ~HeapBlock() { reset(); }
  T* get() const { return p_; }
  T* release() { return std::exchange(p_, nullptr); }
  void reset(T* p = nullptr) { Release(std::exchange(p_, p)); }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Test seam: after ArmAllocationFailure(n), the n-th allocation from then on
// (1 = the next one) fails once. AllocationCount counts every allocation made.
void ArmAllocationFailure(uint64_t n);
void DisarmAllocationFailure();
uint64_t AllocationCount();

}  // namespace ox
