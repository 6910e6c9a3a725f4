#include "platform/file.h"

namespace plat {

namespace {
uint64_t g_count = 0;
uint64_t g_faultAt = 0;  // 0: nothing armed
FileFault g_fault = FileFault::kFail;
}  // namespace

void ArmFileFault(uint64_t n, FileFault fault) {
  g_faultAt = n == 0 ? 0 : g_count + n;
  g_fault = fault;
}

void DisarmFileFault() { g_faultAt = 0; }

uint64_t FileOperationCount() { return g_count; }

namespace seam {

Injected TakeFileFault() {
  ++g_count;
  if (g_faultAt == 0 || g_count != g_faultAt) return Injected::kNone;
  g_faultAt = 0;
  return g_fault == FileFault::kShort ? Injected::kShort : Injected::kFail;
}

}  // namespace seam
}  // namespace plat
