#include "platform/module.h"

#include <windows.h>

namespace plat {

uint32_t GetModulePath(ModuleHandle module, char* buffer, uint32_t size) {
  return GetModuleFileNameA(static_cast<HMODULE>(module), buffer, size);
}

void* LoadModule(const char* path) { return reinterpret_cast<void*>(LoadLibraryA(path)); }

void* LoadModuleByName(const char* fileName) { return LoadModule(fileName); }

void* GetExport(void* library, const char* name) {
  return library ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name)) : nullptr;
}

void UnloadModule(void* library) {
  if (library) ::FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace plat
