#include "common/dos_time.h"

#include "platform/time.h"

namespace ox {

uint32_t CurrentDosDateTime() {
  plat::SystemTime now;
  plat::GetLocalTime(&now);
  uint64_t ft;
  uint16_t date, time;
  // The local calendar time goes to a file time without any zone adjustment.
  if (!plat::SystemTimeToFileTime(now, &ft) || !plat::FileTimeToDosDateTime(ft, &date, &time)) return 0;
  return time | (static_cast<uint32_t>(date) << 16);
}

bool DosDateTimeToUtcFileTime(uint32_t dos, uint64_t* fileTime) {
  uint64_t local;
  return plat::DosDateTimeToFileTime(static_cast<uint16_t>(dos >> 16), static_cast<uint16_t>(dos), &local) &&
         plat::LocalFileTimeToFileTime(local, fileTime);
}

}  // namespace ox
