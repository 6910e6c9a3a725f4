// Reads a dialog's template from a module's resources (Windows), so tests can check a
// dialog's layout exactly as the system will build it.
#pragma once
#ifdef _WIN32
#include <cstdint>
#include <string>
#include <vector>

namespace oxtest {

struct DialogControl {
  int16_t id;
  std::string kind;  // the class ordinal: "#128" button, "#129" edit, "#130" static, "#131" list box
  std::string text;
  int16_t x, y, cx, cy;
  uint32_t style;
};

struct DialogTemplate {
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;
  uint16_t points = 0;
  std::string font;
  std::vector<DialogControl> controls;
};

// False when the module has no such extended dialog template.
bool ReadDialogTemplate(void* module, int resource, DialogTemplate* out);

// Expects the controls in order with the given ids, classes, texts and positions, each
// with at least the given style bits and a tab stop exactly where one is listed.
void ExpectControls(const std::vector<DialogControl>& actual, const DialogControl* expected, size_t count);

// The top-level dialog window with this caption once it shows (up to 30 s), or null.
void* WaitForDialog(const char* caption);

}  // namespace oxtest
#endif
