#include "platform/dialog.h"

#include <windows.h>

namespace plat {

namespace {

class Win32Controls final : public DialogControls {
 public:
  explicit Win32Controls(HWND dialog) : dialog_(dialog) {}
  void SetText(int id, const char* text) override { SetDlgItemTextA(dialog_, id, text); }
  uint32_t GetText(int id, char* buffer, uint32_t size) override {
    return GetDlgItemTextA(dialog_, id, buffer, static_cast<int>(size));
  }
  void SetChecked(int id, bool checked) override { CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED); }
  bool IsChecked(int id) override { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
  void LimitText(int id, uint32_t limit) override { SendDlgItemMessageA(dialog_, id, EM_LIMITTEXT, limit, 0); }
  void SelectText(int id, int from, int to) override { SendDlgItemMessageA(dialog_, id, EM_SETSEL, from, to); }
  void Focus(int id) override { SetFocus(GetDlgItem(dialog_, id)); }
  void FocusLater(int id) override {
    PostMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog_, id)), TRUE);
  }
  void SelectTextLater(int id, int from, int to) override {
    PostMessageA(GetDlgItem(dialog_, id), EM_SETSEL, from, to);
  }
  int AddListItem(int id, const char* text) override {
    return static_cast<int>(SendDlgItemMessageA(dialog_, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
  }
  void SetListSelection(int id, int index) override { SendDlgItemMessageA(dialog_, id, LB_SETCURSEL, index, 0); }
  int GetListSelection(int id) override {
    LRESULT r = SendDlgItemMessageA(dialog_, id, LB_GETCURSEL, 0, 0);
    return r == LB_ERR ? -1 : static_cast<int>(r);
  }
  uint32_t GetListItemText(int id, int index, char* buffer, uint32_t size) override {
    if (size == 0) return 0;
    buffer[0] = 0;
    // LB_GETTEXT writes the whole text, so it is asked only when the text fits.
    LRESULT n = SendDlgItemMessageA(dialog_, id, LB_GETTEXTLEN, index, 0);
    if (n == LB_ERR || static_cast<uint32_t>(n) >= size) return 0;
    n = SendDlgItemMessageA(dialog_, id, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer));
    return n == LB_ERR ? 0 : static_cast<uint32_t>(n);
  }
  void End(intptr_t result) override { EndDialog(dialog_, result); }

 private:
  HWND dialog_;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    Win32Controls controls(dialog);
    return reinterpret_cast<DialogBehavior*>(lParam)->OnInit(controls) ? TRUE : FALSE;
  }
  auto* behavior = reinterpret_cast<DialogBehavior*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (message == WM_COMMAND && behavior) {
    Win32Controls controls(dialog);
    behavior->OnCommand(controls, LOWORD(wParam), HIWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

intptr_t RunDialog(ModuleHandle module, int resource, void* owner, DialogBehavior& behavior, int) {
  return DialogBoxParamA(static_cast<HINSTANCE>(module), MAKEINTRESOURCEA(resource), static_cast<HWND>(owner),
                         DialogProc, reinterpret_cast<LPARAM>(&behavior));
}

}  // namespace plat
