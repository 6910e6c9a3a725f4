// Deleting entries from a tape image: every name and every entry is checked before
// the kept blocks are moved together in the mapped file and the file is cut.
#pragma once
#include "common/status.h"

namespace ox::tape {

// The host's DeleteFiles: deleteList holds listed names in tape order, each ended by
// a NUL, the list by an empty name. The image's last-write time is set to now
// whatever happens after it was opened.
Status DeleteTapeFiles(const char* packedFile, const char* deleteList);

}  // namespace ox::tape
