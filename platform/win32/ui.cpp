#include "platform/ui.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat {

int ShowMessageBox(void* owner, const char* text, const char* title, uint32_t flags) {
  // Automated test runs have nobody to press OK: there the box goes to standard
  // error as on POSIX (the test runner sets the variable).
  const char* mode = getenv("OXWEN_MESSAGE_BOXES");
  if (mode && strcmp(mode, "stderr") == 0) {
    fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
    fflush(stderr);
    return IDOK;
  }
  return MessageBoxA(static_cast<HWND>(owner), text, title, flags);
}

}  // namespace plat
