#include "common/naming_dialog.h"

#include <cstring>

namespace ox::dialog {

const char kRestartHint[] =
    "It is recommended to restart all instances of Total Commander to fully apply new Vorkel and Nalmet settings!";

void ShowNamingMode(plat::DialogControls& c, const NamingMode& mode, int gapId) {
  c.SetChecked(kDecimal, mode.ParamsInDecimal != 0);
  c.SetChecked(gapId, mode.VariableGap != 0);
  for (int i = 0; i < kPrefixCount; ++i) {
    c.LimitText(kFirstPrefix + i, kFieldPrefixSize - 1);
    c.SetText(kFirstPrefix + i, mode.FieldPrefix[i]);
  }
}

NamingMode ReadNamingMode(plat::DialogControls& c, const NamingMode& live, int gapId) {
  NamingMode mode = live;
  mode.ParamsInDecimal = c.IsChecked(kDecimal) ? 1 : 0;
  mode.VariableGap = c.IsChecked(gapId) ? 1 : 0;
  for (int i = 0; i < kPrefixCount; ++i) c.GetText(kFirstPrefix + i, mode.FieldPrefix[i], kFieldPrefixSize);
  return mode;
}

bool IsPrefixBox(int id) { return id >= kFirstPrefix && id < kFirstPrefix + kPrefixCount; }

}  // namespace ox::dialog
