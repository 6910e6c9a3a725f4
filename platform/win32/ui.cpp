#include "platform/ui.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace plat {

int ShowMessageBox(void* owner, const char* text, const char* title, uint32_t flags) {
  // Unattended test runs ask for the boxes on standard error, as the POSIX backend shows them.
  const char* toStderr = getenv("OXWEN_BOXES_TO_STDERR");
  if (toStderr && *toStderr == '1') {
    fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
    fflush(stderr);
    return IDOK;
  }
  return MessageBoxA(static_cast<HWND>(owner), text, title, flags);
}

}  // namespace plat
