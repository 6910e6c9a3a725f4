// The disk plugin's options dialog (resource 102): directory view and naming.
#pragma once
#include "common/settings.h"
#include "platform/dialog.h"

namespace ox::disk {

constexpr int kOptionsDialog = 102;
constexpr int kSimpleRadio = 1001;
constexpr int kTreeRadio = 1002;
constexpr int kGapCheck = 1012;
constexpr int kEnterDir0 = 1013;

extern const char kDiskAbout[];

class OptionsDialog final : public plat::DialogBehavior {
 public:
  // `live` is changed, and saved to `configPath`, only by "Save && Apply".
  OptionsDialog(DiskSettings& live, const char* configPath) : live_(live), configPath_(configPath) {}
  bool OnInit(plat::DialogControls& c) override;
  void OnCommand(plat::DialogControls& c, int id, int notification) override;

  // The settings the dialog shows, starting from a copy of the live ones.
  DiskSettings Read(plat::DialogControls& c) const;

 private:
  void UpdateHint(plat::DialogControls& c) const;

  DiskSettings& live_;
  const char* configPath_;
};

}  // namespace ox::disk
