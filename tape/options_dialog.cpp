#include "tape/options_dialog.h"

#include "common/naming_dialog.h"
#include "tape/options_ids.h"

namespace ox::tape {

const char kAboutText[] = "\nNalmet 0.24 (03-Mar-2010)";

bool TapeOptionsDialog::OnInit(plat::DialogControls& controls) {
  controls.SetText(OX_TAPE_ID_ABOUT, kAboutText);
  controls.SetText(OX_TAPE_ID_CONFIG_PATH, configPath_);
  dialog::ShowNamingMode(controls, *live_, OX_TAPE_ID_VARIABLE_GAP);
  return true;
}

void TapeOptionsDialog::OnCommand(plat::DialogControls& controls, int id, int) {
  // Every notification counts, typing and focus changes alike.
  if (id == OX_TAPE_ID_DECIMAL || id == OX_TAPE_ID_VARIABLE_GAP || dialog::IsPrefixBox(id)) {
    UpdateHint(controls);
  } else if (id == OX_TAPE_ID_SAVE) {
    *live_ = dialog::ReadNamingMode(controls, *live_, OX_TAPE_ID_VARIABLE_GAP);
    if (configPath_ && *configPath_) SaveSettings(configPath_, live_);
    controls.End(OX_TAPE_ID_SAVE);
  } else if (id == OX_TAPE_ID_CANCEL) {
    controls.End(OX_TAPE_ID_CANCEL);
  }
}

void TapeOptionsDialog::UpdateHint(plat::DialogControls& controls) const {
  bool differs = NamingModesDiffer(dialog::ReadNamingMode(controls, *live_, OX_TAPE_ID_VARIABLE_GAP), *live_);
  controls.SetText(OX_TAPE_ID_HINT, differs ? dialog::kRestartHint : "");
}

}  // namespace ox::tape
