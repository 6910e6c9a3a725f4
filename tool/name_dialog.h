// The dialog that asks for the new image's file name, and how the offered name is made.
#pragma once
#include <cstdint>

#include "platform/dialog.h"

namespace ox::tool {

constexpr int kNameDialogResource = 101;
constexpr int kNameEdit = 1001;
constexpr uint32_t kNameSize = 200;       // 199 characters and a terminator
constexpr uint32_t kNameDotSearch = 192;  // only this many characters are searched for the dot

// Where the extension goes: the index of the last dot among the first 192 characters,
// or 0 when there is none.
uint32_t ExtensionIndex(const char* name);

// Writes extension (".mbd" or ".tap") at ExtensionIndex and ends the name there; returns the
// index, which is the length of the name part the dialog selects.
uint32_t OfferName(char* name, const char* extension);

class NameDialogBehavior final : public plat::DialogBehavior {
 public:
  // name: a buffer of kNameSize that receives the confirmed name; selected: how many of its
  // first characters to select.
  NameDialogBehavior(char* name, int selected) : name_(name), selected_(selected) {}
  bool OnInit(plat::DialogControls& controls) override;
  void OnCommand(plat::DialogControls& controls, int id, int notification) override;

 private:
  char* name_;
  int selected_;
};

// Runs dialog 101 modally without owner: 1 for OK (the name is updated), 2 for Cancel,
// anything else when the dialog could not be shown.
intptr_t NameDialog(plat::ModuleHandle module, char* name, int selected);

}  // namespace ox::tool
