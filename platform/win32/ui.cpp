#include "platform/ui.h"

#include <windows.h>

namespace plat {

int ShowMessageBox(void* owner, const char* text, const char* title, uint32_t flags) {
  return MessageBoxA(static_cast<HWND>(owner), text, title, flags);
}

}  // namespace plat
