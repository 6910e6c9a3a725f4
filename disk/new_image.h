// The new-image branch of adding files: the user's choice of format and boot
// configuration, and the copying of the boot configuration's files.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/status.h"
#include "disk/disk_format.h"
#include "disk/disk_module.h"
#include "disk/volume.h"

namespace ox::disk {

struct NewImageChoice {
  const DiskFormat* format = nullptr;
  bool createEmpty = false;  // "Create &Empty": none of the host's files are added
  bool bootable = false;     // the boot configuration's directory is current and its files go in
  bool cancelled = false;    // the image file is to be removed
};

// Asks for the format and boot configuration, saves the choice, and for a bootable
// configuration enters its directory and reads its "bootsector" file over `bootSector`.
Status ChooseNewImage(DiskModule& module, uint8_t bootSector[kSectorSize], NewImageChoice* choice);

// Adds the files of the current directory (the boot configuration's), in three
// passes: "masterboot.3 ..." first, then "BSdos308.3 ...", then the rest.
Status AddBootFiles(DiskVolume* volume, const char* baseName, size_t baseLength, const DiskSettings& settings);

}  // namespace ox::disk
