// The naming part of both plugins' options dialogs: two check boxes, six prefix
// boxes and the restart hint.
#pragma once
#include "common/settings.h"
#include "platform/dialog.h"

namespace ox::dialog {

constexpr int kSaveApply = 102;
constexpr int kCancel = 2;
constexpr int kAbout = 101;
constexpr int kConfigPath = 1004;
constexpr int kDecimal = 1008;
constexpr int kHint = 1011;
constexpr int kFirstPrefix = 1015;  // 1015 to 1020
constexpr int kPrefixCount = 6;

extern const char kRestartHint[];

// Shows a naming mode: the two check boxes and the six prefix boxes, each limited to 19 characters.
void ShowNamingMode(plat::DialogControls& c, const NamingMode& mode, int gapId);
// The naming mode the dialog shows, starting from a copy of `live`.
NamingMode ReadNamingMode(plat::DialogControls& c, const NamingMode& live, int gapId);
bool IsPrefixBox(int id);

}  // namespace ox::dialog
