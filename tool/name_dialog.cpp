#include "tool/name_dialog.h"

#include <cstring>

namespace ox::tool {

namespace {
constexpr int kOk = 1;
constexpr int kCancel = 2;
}  // namespace

uint32_t ExtensionIndex(const char* name) {
  uint32_t n = static_cast<uint32_t>(strnlen(name, kNameDotSearch));
  while (n > 0) {
    --n;
    if (name[n] == '.') break;
  }
  return n;
}

uint32_t OfferName(char* name, const char* extension) {
  uint32_t n = ExtensionIndex(name);
  strcpy(name + n, extension);
  return n;
}

bool NameDialogBehavior::OnInit(plat::DialogControls& controls) {
  controls.SetText(kNameEdit, name_);
  controls.FocusLater(kNameEdit);
  controls.SelectTextLater(kNameEdit, 0, selected_);
  return false;
}

void NameDialogBehavior::OnCommand(plat::DialogControls& controls, int id, int) {
  if (id == kOk) {
    controls.GetText(kNameEdit, name_, kNameSize);
    controls.End(kOk);
  } else if (id == kCancel) {
    controls.End(kCancel);
  }
}

intptr_t NameDialog(plat::ModuleHandle module, char* name, int selected) {
  NameDialogBehavior behavior(name, selected);
  return plat::RunDialog(module, kNameDialogResource, nullptr, behavior, kOk);
}

}  // namespace ox::tool
