// Compiled into each plugin module itself (not into the libraries), so that the
// platform finds the entry whatever the link order.
#include "common/plugin_entry.h"

#ifdef _WIN32
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  return ox::OnProcessAttach(instance) ? TRUE : FALSE;
}
#else
namespace {

__attribute__((constructor)) void OnModuleLoad() {
  // Any address inside the module identifies it to the platform layer.
  ox::OnProcessAttach(reinterpret_cast<void*>(&OnModuleLoad));
}

}  // namespace
#endif
