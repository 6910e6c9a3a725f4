#include "platform/fault.h"

namespace plat {

namespace {
uint64_t g_count = 0;
uint64_t g_failAt = 0;
}  // namespace

void ArmFileFailure(uint64_t n) { g_failAt = n == 0 ? 0 : g_count + n; }
void DisarmFileFailure() { g_failAt = 0; }
uint64_t FileOperationCount() { return g_count; }

bool InjectedFileFailure() {
  ++g_count;
  if (g_failAt != 0 && g_count == g_failAt) {
    g_failAt = 0;
    return true;
  }
  return false;
}

}  // namespace plat
