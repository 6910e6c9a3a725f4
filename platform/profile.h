// Private-profile (INI) files: the Windows functions on Windows, and on POSIX an
// implementation that reads and writes the same text, so one file serves both builds.
// Sections and keys match without regard to ASCII case; the file path is a full path.
#pragma once
#include <cstdint>

namespace plat {

// Like GetPrivateProfileIntA: the value parsed as Windows does (leading blanks, a sign,
// a "0x", "0o" or "0b" prefix, digits up to the first other character, wrapping modulo
// 2^32); the default when the key is missing or its value is empty.
int32_t ProfileReadInt(const char* section, const char* key, int32_t defaultValue, const char* path);

// Like GetPrivateProfileStringA with a section and a key: copies the value (one pair of
// enclosing quotes removed) or, when the key is missing, the default without its trailing
// spaces; cuts it to size - 1 characters and returns the number of characters copied.
uint32_t ProfileReadString(const char* section, const char* key, const char* defaultValue, char* buffer,
                           uint32_t size, const char* path);

// Like WritePrivateProfileStringA: creates the file, the section or the key as needed.
bool ProfileWriteString(const char* section, const char* key, const char* value, const char* path);

// Like GetPrivateProfileStructA: true only when the value is the text form of exactly
// size bytes with the right checksum; the buffer is left alone otherwise on POSIX, but
// Windows may have written into it.
bool ProfileReadStruct(const char* section, const char* key, void* data, uint32_t size, const char* path);

// Like WritePrivateProfileStructA: two upper-case hexadecimal digits per byte, then the
// low byte of the sum of the bytes in the same form.
bool ProfileWriteStruct(const char* section, const char* key, const void* data, uint32_t size,
                        const char* path);

}  // namespace plat
