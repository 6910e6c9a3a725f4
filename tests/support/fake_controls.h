// Controls of a dialog held in memory, so tests can drive a dialog's behaviour as a user would.
#pragma once
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace oxtest {

class FakeControls final : public plat::DialogControls {
 public:
  struct Control {
    std::string text;
    bool checked = false;
    uint32_t limit = 0;
    std::vector<std::string> items;
    int selection = -1;
  };

  void SetText(int id, const char* text) override { controls[id].text = text; }
  uint32_t GetText(int id, char* buffer, uint32_t size) override {
    std::string t = controls[id].text.substr(0, size - 1);
    memcpy(buffer, t.c_str(), t.size() + 1);
    return static_cast<uint32_t>(t.size());
  }
  void SetChecked(int id, bool checked) override { controls[id].checked = checked; }
  bool IsChecked(int id) override { return controls[id].checked; }
  void LimitText(int id, uint32_t limit) override { controls[id].limit = limit; }
  void SelectText(int id, int from, int to) override { selected[id] = {from, to}; }
  void Focus(int id) override { focus = id; }
  int AddListItem(int id, const char* text) override {
    controls[id].items.push_back(text);
    return static_cast<int>(controls[id].items.size()) - 1;
  }
  void SetListSelection(int id, int index) override { controls[id].selection = index; }
  int GetListSelection(int id) override { return controls[id].selection; }
  uint32_t GetListItemText(int id, int index, char* buffer, uint32_t size) override {
    const auto& items = controls[id].items;
    std::string t = index >= 0 && index < static_cast<int>(items.size()) ? items[index].substr(0, size - 1) : "";
    memcpy(buffer, t.c_str(), t.size() + 1);
    return static_cast<uint32_t>(t.size());
  }
  void End(intptr_t r) override {
    ended = true;
    result = r;
  }

  // What a user does: each changes the control, then the dialog hears of it.
  void Type(plat::DialogBehavior& d, int id, const std::string& text) {
    std::string t = controls[id].limit ? text.substr(0, controls[id].limit) : text;
    controls[id].text = t;
    d.OnCommand(*this, id, plat::kEditChanged);
  }
  void Click(plat::DialogBehavior& d, int id) { d.OnCommand(*this, id, plat::kClicked); }
  void Toggle(plat::DialogBehavior& d, int id) {
    controls[id].checked = !controls[id].checked;
    d.OnCommand(*this, id, plat::kClicked);
  }
  void Select(plat::DialogBehavior& d, int id, int index) {
    controls[id].selection = index;
    d.OnCommand(*this, id, plat::kSelectionChanged);
  }

  std::map<int, Control> controls;
  std::map<int, std::pair<int, int>> selected;
  int focus = 0;
  bool ended = false;
  intptr_t result = 0;
};

}  // namespace oxtest
