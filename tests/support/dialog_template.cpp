#include "dialog_template.h"

#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace oxtest {

namespace {

struct TemplateReader {
  const uint8_t* base;
  const uint8_t* p;
  uint16_t Word() {
    uint16_t v;
    memcpy(&v, p, 2);
    p += 2;
    return v;
  }
  uint32_t Dword() {
    uint32_t v;
    memcpy(&v, p, 4);
    p += 4;
    return v;
  }
  std::string Text() {
    std::string s;
    for (uint16_t c = Word(); c; c = Word()) s += static_cast<char>(c);
    return s;
  }
  // A string, or "#n" for an ordinal.
  std::string NameOrOrdinal() {
    uint16_t first;
    memcpy(&first, p, 2);
    if (first == 0xFFFF) {
      Word();
      std::string ordinal = "#";
      ordinal += std::to_string(Word());
      return ordinal;
    }
    return Text();
  }
  void Align() {
    while ((p - base) % 4) ++p;
  }
};

}  // namespace

bool ReadDialogTemplate(void* module, int resource, DialogTemplate* out) {
  HMODULE m = static_cast<HMODULE>(module);
  HRSRC found = FindResourceA(m, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(5));  // RT_DIALOG
  if (!found) return false;
  const auto* base = static_cast<const uint8_t*>(LockResource(LoadResource(m, found)));
  if (!base) return false;
  TemplateReader r{base, base};
  if (r.Word() != 1 || r.Word() != 0xFFFF) return false;  // an extended template
  r.Dword();
  r.Dword();
  out->style = r.Dword();
  uint16_t count = r.Word();
  out->x = static_cast<int16_t>(r.Word());
  out->y = static_cast<int16_t>(r.Word());
  out->cx = static_cast<int16_t>(r.Word());
  out->cy = static_cast<int16_t>(r.Word());
  r.NameOrOrdinal();  // menu
  r.NameOrOrdinal();  // class
  out->caption = r.Text();
  out->points = r.Word();
  r.Word();
  r.Word();
  out->font = r.Text();
  for (uint16_t i = 0; i < count; ++i) {
    r.Align();
    DialogControl c;
    r.Dword();
    r.Dword();
    c.style = r.Dword();
    c.x = static_cast<int16_t>(r.Word());
    c.y = static_cast<int16_t>(r.Word());
    c.cx = static_cast<int16_t>(r.Word());
    c.cy = static_cast<int16_t>(r.Word());
    c.id = static_cast<int16_t>(r.Dword());
    c.kind = r.NameOrOrdinal();
    c.text = r.NameOrOrdinal();
    r.p += r.Word();
    out->controls.push_back(c);
  }
  return true;
}

void ExpectControls(const std::vector<DialogControl>& actual, const DialogControl* expected, size_t count) {
  ASSERT_EQ(actual.size(), count);
  for (size_t i = 0; i < count; ++i) {
    const DialogControl& c = actual[i];
    const DialogControl& e = expected[i];
    EXPECT_EQ(c.id, e.id) << i;
    EXPECT_EQ(c.kind, e.kind) << i;
    EXPECT_EQ(c.text, e.text) << i;
    EXPECT_EQ(std::vector<int>({c.x, c.y, c.cx, c.cy}), std::vector<int>({e.x, e.y, e.cx, e.cy})) << i;
    EXPECT_EQ(c.style & e.style, e.style) << i;
    EXPECT_EQ(c.style & WS_TABSTOP, e.style & WS_TABSTOP) << i;
  }
}

void* WaitForDialog(const char* caption) {
  for (int i = 0; i < 600; ++i) {
    if (HWND w = FindWindowA("#32770", caption)) return w;
    Sleep(50);
  }
  return nullptr;
}

}  // namespace oxtest
#endif
