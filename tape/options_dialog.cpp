#include "tape/options_dialog.h"

#include "tape/options_ids.h"

namespace ox::tape {

const char kRestartHint[] =
    "It is recommended to restart all instances of Total Commander to fully apply new Vorkel and Nalmet settings!";
const char kAboutText[] = "\nNalmet 0.24 (03-Mar-2010)";

namespace {
constexpr uint32_t kPrefixLimit = kFieldPrefixSize - 1;
bool IsPrefixBox(int id) { return id >= OX_TAPE_ID_PREFIX_FIRST && id < OX_TAPE_ID_PREFIX_FIRST + int{kFieldCount}; }
}  // namespace

bool TapeOptionsDialog::OnInit(plat::DialogControls& controls) {
  controls.SetText(OX_TAPE_ID_ABOUT, kAboutText);
  controls.SetText(OX_TAPE_ID_CONFIG_PATH, configPath_);
  controls.SetChecked(OX_TAPE_ID_DECIMAL, live_->ParamsInDecimal != 0);
  controls.SetChecked(OX_TAPE_ID_VARIABLE_GAP, live_->VariableGap != 0);
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    int id = OX_TAPE_ID_PREFIX_FIRST + static_cast<int>(i);
    controls.LimitText(id, kPrefixLimit);
    controls.SetText(id, live_->FieldPrefix[i]);
  }
  return true;
}

void TapeOptionsDialog::OnCommand(plat::DialogControls& controls, int id, int) {
  // Every notification counts, typing and focus changes alike.
  if (id == OX_TAPE_ID_DECIMAL || id == OX_TAPE_ID_VARIABLE_GAP || IsPrefixBox(id)) {
    UpdateHint(controls);
  } else if (id == OX_TAPE_ID_SAVE) {
    *live_ = ReadValues(controls);
    if (configPath_ && *configPath_) SaveSettings(configPath_, live_);
    controls.End(OX_TAPE_ID_SAVE);
  } else if (id == OX_TAPE_ID_CANCEL) {
    controls.End(OX_TAPE_ID_CANCEL);
  }
}

NamingMode TapeOptionsDialog::ReadValues(plat::DialogControls& controls) const {
  NamingMode mode = *live_;
  mode.ParamsInDecimal = controls.IsChecked(OX_TAPE_ID_DECIMAL) ? 1 : 0;
  mode.VariableGap = controls.IsChecked(OX_TAPE_ID_VARIABLE_GAP) ? 1 : 0;
  for (uint32_t i = 0; i < kFieldCount; ++i)
    controls.GetText(OX_TAPE_ID_PREFIX_FIRST + static_cast<int>(i), mode.FieldPrefix[i], kFieldPrefixSize);
  return mode;
}

void TapeOptionsDialog::UpdateHint(plat::DialogControls& controls) const {
  bool differs = NamingModesDiffer(ReadValues(controls), *live_);
  controls.SetText(OX_TAPE_ID_HINT, differs ? kRestartHint : "");
}

}  // namespace ox::tape
