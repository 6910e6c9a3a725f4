// Modal dialogs from resources. The behaviour of a dialog is plain code talking to
// DialogControls; the Win32 backend binds it to real controls, the POSIX backend to
// a set of virtual controls driven by a script (see RunDialog).
#pragma once
#include <cstdint>

#include "platform/module.h"

namespace plat {

class DialogControls {
 public:
  virtual void SetText(int id, const char* text) = 0;
  // Like GetDlgItemTextA: copies at most size - 1 characters, returns the count copied.
  virtual uint32_t GetText(int id, char* buffer, uint32_t size) = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  virtual bool IsChecked(int id) = 0;
  virtual void LimitText(int id, uint32_t limit) = 0;
  virtual void SelectText(int id, int from, int to) = 0;
  virtual void Focus(int id) = 0;
  // Posted forms of Focus and SelectText: they take effect after the dialog's own start-up,
  // which would otherwise move the focus and select a whole edit text again.
  virtual void FocusLater(int id) { Focus(id); }
  virtual void SelectTextLater(int id, int from, int to) { SelectText(id, from, to); }
  virtual int AddListItem(int id, const char* text) = 0;
  virtual void SetListSelection(int id, int index) = 0;
  virtual int GetListSelection(int id) = 0;  // -1 when nothing is selected
  // Like GetText, for item `index` of a list box; 0 (an empty text) when there is no such
  // item. Controls without list boxes need not provide it.
  virtual uint32_t GetListItemText(int id, int index, char* buffer, uint32_t size) {
    (void)id;
    (void)index;
    if (size) buffer[0] = 0;
    return 0;
  }
  virtual void End(intptr_t result) = 0;

 protected:
  ~DialogControls() = default;
};

class DialogBehavior {
 public:
  // Returns true to let the system give the focus to the first control.
  virtual bool OnInit(DialogControls& controls) = 0;
  virtual void OnCommand(DialogControls& controls, int id, int notification) = 0;

 protected:
  ~DialogBehavior() = default;
};

// Notification codes passed to OnCommand.
constexpr int kClicked = 0;
constexpr int kSelectionChanged = 1;
constexpr int kEditChanged = 0x300;

// Shows dialog `resource` of `module` modally and returns the result passed to End,
// or -1 when the dialog cannot be shown.
// POSIX: there are no windows. The environment variable OXWEN_DIALOG_SCRIPT may
// script the dialog: "<resource>:<action>,<action>...;<resource>:..." with the actions
// click=<id>, text=<id>=<text>, check=<id>=<0|1>, select=<id>=<index>; each action
// updates the virtual control and sends its command. When the script does not end the
// dialog, the command `unscriptedAnswer` is sent (the button a user would press without
// changes), and its id is returned if the behaviour still does not end the dialog.
intptr_t RunDialog(ModuleHandle module, int resource, void* owner, DialogBehavior& behavior,
                   int unscriptedAnswer);

}  // namespace plat
