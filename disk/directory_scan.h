// The entries of the current directory, one at a time, without "." and "..".
#pragma once
#include <cstdint>

#include "platform/file.h"

namespace ox::disk {

struct DirectoryScan {
  plat::FindData findData;  // the entry delivered last
  uint8_t done;             // set when no further entry can come
  plat::Handle search = plat::kNoHandle;
  uint8_t firstPending;     // the entry BeginScan found is still to be delivered
};

// The caller sets done first; it stays so when the directory cannot be searched or is empty.
void BeginScan(DirectoryScan* scan);
// Delivers the next entry in findData; false when there is none.
bool NextEntry(DirectoryScan* scan);
void CloseScan(DirectoryScan* scan);

}  // namespace ox::disk
