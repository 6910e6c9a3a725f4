// An opened disk image: the reading handle the host holds between OpenArchive and CloseArchive.
#pragma once
#include <cstdint>

#include "common/host_api.h"
#include "common/pointer_list.h"
#include "disk/volume.h"
#include "platform/file.h"

namespace ox {
struct DiskSettings;
}

namespace ox::disk {

struct DiskImage {
  DiskVolume volume;
  plat::Handle file;
  plat::Handle mapping;
  uint8_t* view;
  TreeNode* tree;
  PointerList entries;  // of ListedEntry
  int32_t current;
  char archiveName[host::kNameField];  // as the host passed it
};

// The reading operations behind the exports; the settings are those in force.
DiskImage* OpenArchive(host::OpenArchiveRecord* record, const DiskSettings& settings);
int32_t ReadHeader(DiskImage* image, host::HeaderRecord* record);
int32_t ProcessFile(DiskImage* image, int32_t operation, const char* destPath, const char* destName);
int32_t CloseArchive(DiskImage* image);

}  // namespace ox::disk
