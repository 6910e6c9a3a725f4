// Walking an opened tape image as the host does: the current entry's prepared record,
// then skipping, testing or extracting it.
#pragma once
#include <cstdint>

#include "common/host_api.h"
#include "tape/tape_image.h"

namespace ox::tape {

// The prepared record of the current entry (in the plugin's own conventions), or none
// when no entry is left. Does not move to the next entry.
const host::HeaderRecord* CurrentTapeRecord(const TapeImage* image);

// Consumes the current entry: operation 0 skips, 2 extracts into destName, any other
// tests. Returns a host result; 10 when no entry is left.
int32_t ProcessTapeEntry(TapeImage* image, int32_t operation, const char* destPath, const char* destName);

}  // namespace ox::tape
