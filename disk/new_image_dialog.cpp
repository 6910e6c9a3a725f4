#include "disk/new_image_dialog.h"

#include <cstring>

#include "disk/directory_scan.h"
#include "disk/disk_format.h"
#include "platform/file.h"

namespace ox::disk {

namespace {

// Longer names could not be stored as the BootConfig setting once chosen.
constexpr size_t kMaxBootNameLength = 94;

// Lists the boot configurations; returns the position (from 1) of the last one named
// as the setting, 0 when none is.
int ListBootConfigs(plat::DialogControls& c, const char* bootsDir, const char* chosen) {
  int selection = 0;
  if (!plat::ChangeDir(bootsDir)) return selection;
  DirectoryScan scan;
  scan.done = 1;
  BeginScan(&scan);
  int count = 0;
  while (NextEntry(&scan)) {
    const plat::FindData& f = scan.findData;
    if (!(f.attributes & plat::kAttrDirectory) || strlen(f.name) > kMaxBootNameLength) continue;
    c.AddListItem(kBootList, f.name);
    ++count;
    if (strcmp(f.name, chosen) == 0) selection = count;
  }
  CloseScan(&scan);
  return selection;
}

}  // namespace

bool NewImageDialog::OnInit(plat::DialogControls& c) {
  c.AddListItem(kBootList, kNotBootable);
  char chosen[kBootConfigSize];
  memcpy(chosen, live_.BootConfig, kBootConfigSize);
  chosen[kBootConfigSize - 1] = '\0';
  int bootSelection = ListBootConfigs(c, bootsDir_, chosen);
  for (const DiskFormat& row : kDiskFormats) c.AddListItem(kFormatList, row.label);
  c.SetListSelection(kFormatList, live_.NewImageFormat);
  c.SetListSelection(kBootList, bootSelection);
  return true;
}

void NewImageDialog::OnCommand(plat::DialogControls& c, int id, int) {
  if (id == kCancelButton) {
    c.End(kCancelButton);
  } else if (id == kCreateButton || id == kCreateEmptyButton) {
    int format = c.GetListSelection(kFormatList);
    live_.NewImageFormat = format < 0 ? 0 : format;
    int boot = c.GetListSelection(kBootList);
    memset(live_.BootConfig, 0, kBootConfigSize);
    if (boot >= 0) c.GetListItemText(kBootList, boot, live_.BootConfig, kBootConfigSize);
    c.End(id);
  }
}

}  // namespace ox::disk
