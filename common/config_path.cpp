#include <cstring>

#include "common/settings.h"

namespace ox {
namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\';
#else
  // Module paths on POSIX hosts use '/'; a backslash still separates, as in every path we take.
  return c == '\\' || c == '/';
#endif
}

bool Compose(char* out, const char* dir, size_t dirLength, const char* name) {
  size_t nameLength = strlen(name);
  if (dirLength + nameLength + 1 > kPathBufferSize) return false;
  memcpy(out, dir, dirLength);
  memcpy(out + dirLength, name, nameLength + 1);
  return true;
}

}  // namespace

bool BuildConfigPath(const char* modulePath, ConfigPaths* paths) {
  paths->ConfigFilePath[0] = 0;
  paths->BootsDirPath[0] = 0;
  if (!modulePath) return false;
  size_t dirLength = strlen(modulePath);
  while (dirLength > 0 && !IsSeparator(modulePath[dirLength - 1])) --dirLength;
  if (!Compose(paths->ConfigFilePath, modulePath, dirLength, kConfigFileName) ||
      !Compose(paths->BootsDirPath, modulePath, dirLength, "boots\\")) {
    paths->ConfigFilePath[0] = 0;
    paths->BootsDirPath[0] = 0;
    return false;
  }
  return true;
}

}  // namespace ox
