// Deleting files and whole directories from a disk image: the work behind the
// DeleteFiles export.
#pragma once
#include <cstdint>

#include "common/settings.h"

namespace ox::disk {

// Every name of `deleteList` (listed paths; a whole directory as its path followed by
// "*.*") is deleted in memory, and the image is written with one write only when all
// of them succeeded. Returns the host result code, after showing the message of a
// failure that asks for it.
int32_t DeleteFiles(const char* packedFile, const char* deleteList, const DiskSettings& settings);

}  // namespace ox::disk
