#include "common/alloc.h"

#include <cstdlib>
#include <cstring>

namespace ox {

namespace {
uint64_t g_count = 0;
uint64_t g_failAt = 0;  // 0: nothing armed
}  // namespace

void* Allocate(size_t size) {
  ++g_count;
  if (g_failAt != 0 && g_count == g_failAt) {
    g_failAt = 0;
    return nullptr;
  }
  // An empty block is still a distinct, releasable block.
  return malloc(size ? size : 1);
}

void* AllocateZeroed(size_t size) {
  void* p = Allocate(size);
  if (p) memset(p, 0, size ? size : 1);
  return p;
}

void Release(void* p) { free(p); }

void ArmAllocationFailure(uint64_t n) { g_failAt = n == 0 ? 0 : g_count + n; }
void DisarmAllocationFailure() { g_failAt = 0; }
uint64_t AllocationCount() { return g_count; }

}  // namespace ox
