// The new disk image dialog (resource 104): a disk format and a boot configuration.
#pragma once
#include "common/settings.h"
#include "platform/dialog.h"

namespace ox::disk {

constexpr int kNewImageDialog = 104;
constexpr int kFormatList = 1003;
constexpr int kBootList = 1004;
constexpr int kCreateButton = 1005;
constexpr int kCreateEmptyButton = 1006;
constexpr int kCancelButton = 2;

// The boot list's first item, which stands for no boot configuration.
constexpr char kNotBootable[] = "Not bootable";

class NewImageDialog final : public plat::DialogBehavior {
 public:
  // The boot list holds the subdirectories of `bootsDir`, which becomes the current
  // directory. "&Create" and "Create &Empty" store the choices in `live`.
  NewImageDialog(DiskSettings& live, const char* bootsDir) : live_(live), bootsDir_(bootsDir) {}
  bool OnInit(plat::DialogControls& c) override;
  void OnCommand(plat::DialogControls& c, int id, int notification) override;

 private:
  DiskSettings& live_;
  const char* bootsDir_;
};

}  // namespace ox::disk
