// The module's own path, run-time loading of libraries and their exports.
#pragma once
#include <cstdint>

namespace plat {

// Windows: the module's instance handle. POSIX: any address inside the module.
using ModuleHandle = void*;

// Like GetModuleFileNameA: the length copied; when the buffer is too small the
// path is cut to size - 1 characters and size is returned.
uint32_t GetModulePath(ModuleHandle module, char* buffer, uint32_t size);

void* LoadModule(const char* path);
// Like LoadLibraryA with a bare file name: Windows applies its standard search; POSIX
// looks in the program's own directory first, then in the current directory.
void* LoadModuleByName(const char* fileName);
void* GetExport(void* library, const char* name);
void UnloadModule(void* library);

}  // namespace plat
