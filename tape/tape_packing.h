// Appending PC files to a tape image, or creating an empty one: each file becomes a
// header block rebuilt from its name and a data block, at the end of the tape.
#pragma once
#include <cstdint>

#include "common/status.h"

namespace ox::tape {

// The host's PackFiles, in the plugin's own conventions (backslash-separated names).
// The sub path and the flags have no effect: entries always go to the end of the tape
// and the sources stay. The source path becomes the current directory. A failure after
// the image is open cuts the file back to the size it had, so the tape is either
// extended by every file or left as it was.
Status PackTapeFiles(const char* packedFile, const char* subPath, const char* srcPath, const char* addList,
                     int32_t flags);

// Opens an existing image as the host would and tests every entry: 0, or the open's
// result, or the result of the first entry that fails.
Status TestWholeTape(const char* packedFile);

}  // namespace ox::tape
