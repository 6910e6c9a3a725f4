// The behaviour of the options dialog: the naming mode's check boxes and prefix boxes,
// a restart hint while they differ from the live mode, and "Save && Apply".
#pragma once
#include "common/settings.h"
#include "platform/dialog.h"

namespace ox::tape {

class TapeOptionsDialog final : public plat::DialogBehavior {
 public:
  // `live` is the naming mode in force; "Save && Apply" replaces it and writes it to
  // configPath (nothing is written when configPath is empty).
  TapeOptionsDialog(NamingMode* live, const char* configPath) : live_(live), configPath_(configPath) {}

  bool OnInit(plat::DialogControls& controls) override;
  void OnCommand(plat::DialogControls& controls, int id, int notification) override;

 private:
  void UpdateHint(plat::DialogControls& controls) const;

  NamingMode* live_;
  const char* configPath_;
};

extern const char kAboutText[];

}  // namespace ox::tape
