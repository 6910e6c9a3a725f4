#include "common/host_boundary.h"

#include <cstring>
#include <ctime>

namespace ox::host {

int32_t DosDateTimeToUnixSeconds(uint32_t dos) {
  if (dos == 0) return 0;
  struct tm tm = {};
  tm.tm_year = static_cast<int>((dos >> 25) + 80);
  tm.tm_mon = static_cast<int>((dos >> 21) & 15) - 1;
  tm.tm_mday = static_cast<int>((dos >> 16) & 31);
  tm.tm_hour = static_cast<int>((dos >> 11) & 31);
  tm.tm_min = static_cast<int>((dos >> 5) & 63);
  tm.tm_sec = static_cast<int>((dos & 31) * 2);
  tm.tm_isdst = -1;
  time_t t = mktime(&tm);
  return t == static_cast<time_t>(-1) ? 0 : static_cast<int32_t>(t);
}

void ToHostConventions(HeaderRecord* record) {
#ifdef _WIN32
  (void)record;
#else
  for (char* p = record->fileName; *p; ++p)
    if (*p == '\\') *p = '/';
  record->fileAttributes = (record->fileAttributes & kAttrDirectory) ? 040755 : 0100644;
  record->fileTime = DosDateTimeToUnixSeconds(static_cast<uint32_t>(record->fileTime));
#endif
}

void FromHostSeparators(char* text, size_t length) {
#ifdef _WIN32
  (void)text;
  (void)length;
#else
  for (size_t i = 0; i < length; ++i)
    if (text[i] == '/') text[i] = '\\';
#endif
}

void CopyHeaderToHost(const HeaderRecord& prepared, HeaderRecord* host) {
  memcpy(host, &prepared, kHeaderBytesWritten);
}

}  // namespace ox::host
