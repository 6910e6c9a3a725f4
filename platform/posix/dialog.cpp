#include "platform/dialog.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace plat {

namespace {

struct VirtualControl {
  std::string text;
  bool checked = false;
  uint32_t limit = 0;
  std::vector<std::string> items;
  int selection = -1;
};

class VirtualControls final : public DialogControls {
 public:
  void SetText(int id, const char* text) override {
    auto& c = controls_[id];
    c.text = text ? text : "";
    if (c.limit && c.text.size() > c.limit) c.text.resize(c.limit);
  }
  uint32_t GetText(int id, char* buffer, uint32_t size) override {
    if (size == 0) return 0;
    const std::string& t = controls_[id].text;
    uint32_t n = static_cast<uint32_t>(t.size() < size - 1 ? t.size() : size - 1);
    memcpy(buffer, t.data(), n);
    buffer[n] = 0;
    return n;
  }
  void SetChecked(int id, bool checked) override { controls_[id].checked = checked; }
  bool IsChecked(int id) override { return controls_[id].checked; }
  void LimitText(int id, uint32_t limit) override { controls_[id].limit = limit; }
  void SelectText(int, int, int) override {}
  void Focus(int) override {}
  int AddListItem(int id, const char* text) override {
    auto& items = controls_[id].items;
    items.push_back(text ? text : "");
    return static_cast<int>(items.size()) - 1;
  }
  void SetListSelection(int id, int index) override {
    auto& c = controls_[id];
    c.selection = index >= 0 && index < static_cast<int>(c.items.size()) ? index : -1;
  }
  int GetListSelection(int id) override { return controls_[id].selection; }
  uint32_t GetListItemText(int id, int index, char* buffer, uint32_t size) override {
    if (size == 0) return 0;
    buffer[0] = 0;
    const auto& items = controls_[id].items;
    if (index < 0 || index >= static_cast<int>(items.size())) return 0;
    const std::string& t = items[static_cast<size_t>(index)];
    uint32_t n = static_cast<uint32_t>(t.size() < size - 1 ? t.size() : size - 1);
    memcpy(buffer, t.data(), n);
    buffer[n] = 0;
    return n;
  }
  void End(intptr_t result) override {
    ended_ = true;
    result_ = result;
  }

  bool ended() const { return ended_; }
  intptr_t result() const { return result_; }

 private:
  std::map<int, VirtualControl> controls_;
  bool ended_ = false;
  intptr_t result_ = 0;
};

// The actions scripted for one dialog resource.
std::vector<std::string> ScriptFor(int resource) {
  std::vector<std::string> actions;
  const char* env = getenv("OXWEN_DIALOG_SCRIPT");
  if (!env) return actions;
  std::string script = env, prefix = std::to_string(resource) + ":";
  size_t start = 0;
  while (start <= script.size()) {
    size_t end = script.find(';', start);
    if (end == std::string::npos) end = script.size();
    std::string part = script.substr(start, end - start);
    if (part.compare(0, prefix.size(), prefix) == 0) {
      std::string list = part.substr(prefix.size());
      size_t a = 0;
      while (a <= list.size()) {
        size_t b = list.find(',', a);
        if (b == std::string::npos) b = list.size();
        if (b > a) actions.push_back(list.substr(a, b - a));
        a = b + 1;
      }
    }
    start = end + 1;
  }
  return actions;
}

void Perform(VirtualControls& controls, DialogBehavior& behavior, const std::string& action) {
  size_t eq = action.find('=');
  if (eq == std::string::npos) return;
  std::string verb = action.substr(0, eq), rest = action.substr(eq + 1);
  size_t eq2 = rest.find('=');
  int id = atoi(rest.substr(0, eq2).c_str());
  std::string value = eq2 == std::string::npos ? "" : rest.substr(eq2 + 1);
  if (verb == "click") {
    behavior.OnCommand(controls, id, kClicked);
  } else if (verb == "text") {
    controls.SetText(id, value.c_str());
    behavior.OnCommand(controls, id, kEditChanged);
  } else if (verb == "check") {
    controls.SetChecked(id, value == "1");
    behavior.OnCommand(controls, id, kClicked);
  } else if (verb == "select") {
    controls.SetListSelection(id, atoi(value.c_str()));
    behavior.OnCommand(controls, id, kSelectionChanged);
  }
}

}  // namespace

intptr_t RunDialog(ModuleHandle, int resource, void*, DialogBehavior& behavior, int unscriptedAnswer) {
  try {
    VirtualControls controls;
    behavior.OnInit(controls);
    for (const std::string& action : ScriptFor(resource)) {
      if (controls.ended()) break;
      Perform(controls, behavior, action);
    }
    if (!controls.ended()) behavior.OnCommand(controls, unscriptedAnswer, kClicked);
    return controls.ended() ? controls.result() : unscriptedAnswer;
  } catch (...) {
    return -1;  // out of memory for the virtual controls: the dialog cannot be shown
  }
}

}  // namespace plat
