// One pass of adding a list of PC files and directories to the in-memory image.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/settings.h"
#include "common/status.h"
#include "disk/volume.h"

namespace ox::disk {

// Walks every name of `addList` (NUL-terminated names ended by an empty one, relative
// to `srcPath`, which becomes the current directory when given) through a tree built
// afresh from the image: files go under `subPath` (whose directories must exist), with
// their directory parts recreated when `flags` saves paths. A file aimed at the root of
// the tree goes into the top-level directory named `baseName` (the image file's name,
// `baseLength` characters), found or made.
Status AddFileList(DiskVolume* volume, const char* subPath, const char* srcPath, const char* addList, int32_t flags,
                   const char* baseName, size_t baseLength, const DiskSettings& settings);

}  // namespace ox::disk
