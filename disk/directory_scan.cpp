#include "disk/directory_scan.h"

#include <cstring>

namespace ox::disk {

namespace {

// Windows lists "." and ".." first; other systems may list them anywhere, so they are
// passed over wherever they come.
bool IsDotEntry(const plat::FindData& f) {
  return (f.attributes & plat::kAttrDirectory) && (strcmp(f.name, ".") == 0 || strcmp(f.name, "..") == 0);
}

bool FindNextProper(DirectoryScan* scan) {
  do {
    if (!plat::FindNext(scan->search, &scan->findData)) return false;
  } while (IsDotEntry(scan->findData));
  return true;
}

}  // namespace

void BeginScan(DirectoryScan* scan) {
  scan->search = plat::kNoHandle;
  scan->firstPending = 0;
  if (!plat::FindFirst("*", &scan->findData, &scan->search)) return;
  if (IsDotEntry(scan->findData) && !FindNextProper(scan)) return;
  scan->done = 0;
  scan->firstPending = 1;
}

bool NextEntry(DirectoryScan* scan) {
  if (scan->done) return false;
  if (scan->firstPending) {
    scan->firstPending = 0;
    return true;
  }
  if (!FindNextProper(scan)) {
    scan->done = 1;
    return false;
  }
  return true;
}

void CloseScan(DirectoryScan* scan) {
  if (scan->search != plat::kNoHandle) plat::FindClose(scan->search);
  scan->search = plat::kNoHandle;
}

}  // namespace ox::disk
