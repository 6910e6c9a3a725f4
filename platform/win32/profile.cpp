#include "platform/profile.h"

#include <windows.h>

namespace plat {

int32_t ProfileReadInt(const char* section, const char* key, int32_t defaultValue, const char* path) {
  return static_cast<int32_t>(GetPrivateProfileIntA(section, key, defaultValue, path));
}

uint32_t ProfileReadString(const char* section, const char* key, const char* defaultValue, char* buffer,
                           uint32_t size, const char* path) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, path);
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* path) {
  return WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

bool ProfileReadStruct(const char* section, const char* key, void* data, uint32_t size, const char* path) {
  return GetPrivateProfileStructA(section, key, data, size, path) != FALSE;
}

bool ProfileWriteStruct(const char* section, const char* key, const void* data, uint32_t size,
                        const char* path) {
  // The Windows prototype takes a non-const pointer but only reads the bytes.
  return WritePrivateProfileStructA(section, key, const_cast<void*>(data), size, path) != FALSE;
}

}  // namespace plat
