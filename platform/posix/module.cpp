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

void* LoadModuleByName(const char* fileName) {
  // The directories Windows searches first for a library named without a path: the
  // program's own, then the current one. The first that holds the file decides.
  char dirs[2][PATH_MAX];
  uint32_t n = GetModulePath(nullptr, dirs[0], PATH_MAX);
  if (n == 0 || n >= PATH_MAX) dirs[0][0] = 0;
  char* slash = strrchr(dirs[0], '/');
  if (slash) slash[1] = 0;
  else dirs[0][0] = 0;
  if (!getcwd(dirs[1], PATH_MAX - 1)) dirs[1][0] = 0;
  else strcat(dirs[1], "/");
  for (const char* dir : dirs) {
    if (!dir[0]) continue;
    char path[PATH_MAX];
    if (strlen(dir) + strlen(fileName) + 1 > sizeof path) continue;
    strcpy(path, dir);
    strcat(path, fileName);
    if (access(path, F_OK) == 0) return LoadModule(path);
  }
  posix::SetError(126);  // the specified module could not be found
  return nullptr;
}

void* GetExport(void* library, const char* name) { return library ? dlsym(library, name) : nullptr; }

void UnloadModule(void* library) {
  if (library) dlclose(library);
}

}  // namespace plat
