#include "platform/module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/posix/native_path.h"

namespace plat {

uint32_t GetModulePath(ModuleHandle module, char* buffer, uint32_t size) {
  if (size == 0) return 0;
  char path[PATH_MAX];
  const char* found = nullptr;
  Dl_info info;
  void* self = dlopen(nullptr, RTLD_NOW | RTLD_NOLOAD);
  bool isProgram = true;
  if (module && dladdr(module, &info) && info.dli_fname && info.dli_fname[0]) {
    // The main program's object carries the name it was started by; ask the kernel instead.
    void* handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    isProgram = handle == nullptr || handle == self;
    if (handle) dlclose(handle);
    if (!isProgram) {
      // The path the library was loaded by, made absolute; links are not resolved.
      if (info.dli_fname[0] == '/') found = info.dli_fname;
      else if (realpath(info.dli_fname, path)) found = path;
    }
  }
  if (self) dlclose(self);
  if (!found) {
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
      posix::SetError(posix::ErrorFromErrno(errno));
      return 0;
    }
    path[n] = 0;
    found = path;
  }
  size_t n = strlen(found);
  if (n + 1 > size) {
    memcpy(buffer, found, size - 1);
    buffer[size - 1] = 0;
    posix::SetError(122);  // insufficient buffer
    return size;
  }
  memcpy(buffer, found, n + 1);
  return static_cast<uint32_t>(n);
}

void* LoadModule(const char* path) {
  posix::NativePath native(path);
  if (!native.ok()) return nullptr;
  return dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* GetExport(void* library, const char* name) { return library ? dlsym(library, name) : nullptr; }

void UnloadModule(void* library) {
  if (library) dlclose(library);
}

}  // namespace plat
