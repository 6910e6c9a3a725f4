#include "disk/options_dialog.h"

#include "common/naming_dialog.h"

namespace ox::disk {

const char kDiskAbout[] = "\nVorkel 0.50 (30-Jun-2010)";

bool OptionsDialog::OnInit(plat::DialogControls& c) {
  c.SetText(dialog::kAbout, kDiskAbout);
  c.SetText(dialog::kConfigPath, configPath_);
  bool simple = live_.DirStructViewMode == 1;
  c.SetChecked(kSimpleRadio, simple);
  c.SetChecked(kTreeRadio, !simple);
  c.SetChecked(kEnterDir0, live_.DirStructViewMode == 2);
  dialog::ShowNamingMode(c, live_.Naming, kGapCheck);
  return true;
}

DiskSettings OptionsDialog::Read(plat::DialogControls& c) const {
  DiskSettings s = live_;
  if (c.IsChecked(kSimpleRadio)) s.DirStructViewMode = 1;
  if (c.IsChecked(kTreeRadio)) s.DirStructViewMode = 2;
  s.Naming = dialog::ReadNamingMode(c, live_.Naming, kGapCheck);
  return s;
}

void OptionsDialog::UpdateHint(plat::DialogControls& c) const {
  DiskSettings shown = Read(c);
  bool differs = shown.DirStructViewMode != live_.DirStructViewMode || NamingModesDiffer(shown.Naming, live_.Naming);
  c.SetText(dialog::kHint, differs ? dialog::kRestartHint : "");
}

void OptionsDialog::OnCommand(plat::DialogControls& c, int id, int) {
  if (id == kSimpleRadio || id == kTreeRadio) {
    c.SetChecked(id, true);
    c.SetChecked(id == kSimpleRadio ? kTreeRadio : kSimpleRadio, false);
    c.SetChecked(kEnterDir0, id == kTreeRadio);
    UpdateHint(c);
  } else if (id == dialog::kDecimal || id == kGapCheck || dialog::IsPrefixBox(id)) {
    UpdateHint(c);
  } else if (id == dialog::kSaveApply) {
    live_ = Read(c);
    SaveSettings(configPath_, &live_);
    c.End(dialog::kSaveApply);
  } else if (id == dialog::kCancel) {
    c.End(dialog::kCancel);
  }
}

}  // namespace ox::disk
