// Test seam for the file layer: a test arms the n-th file operation from now on to
// fail once, and checks that the caller reports it and loses nothing. Both backends
// count the same operations: open, size, read, write, seek, truncate, set time,
// mapping, view, delete, remove directory, change directory, directory search.
// A close or unmap is carried out and then reported as failed.
#pragma once
#include <cstdint>

namespace plat {

void ArmFileFailure(uint64_t n);
void DisarmFileFailure();
uint64_t FileOperationCount();

// Counts one operation; true when it is the one armed to fail.
bool InjectedFileFailure();

}  // namespace plat
