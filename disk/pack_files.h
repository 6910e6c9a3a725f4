// Adding files to a disk image, and making a new image when the file is empty: the
// work behind the PackFiles export.
#pragma once
#include <cstdint>

#include "disk/disk_module.h"

namespace ox::disk {

// The image file gets everything or nothing: every change is made in memory and the
// image is written with one write at the end. Returns the host result code, after
// showing the message of a failure that asks for it.
int32_t PackFiles(const char* packedFile, const char* subPath, const char* srcPath, const char* addList,
                  int32_t flags, DiskModule& module);

}  // namespace ox::disk
