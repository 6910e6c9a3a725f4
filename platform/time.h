// Clock and the conversions between calendar, file and DOS times.
// The local time zone is that of the process (TZ on POSIX).
#pragma once
#include <cstdint>

namespace plat {

struct SystemTime {
  uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

void GetLocalTime(SystemTime* out);
void GetSystemTime(SystemTime* out);
bool SystemTimeToFileTime(const SystemTime& st, uint64_t* fileTime);
bool FileTimeToSystemTime(uint64_t fileTime, SystemTime* st);
bool FileTimeToLocalFileTime(uint64_t fileTime, uint64_t* local);
bool LocalFileTimeToFileTime(uint64_t local, uint64_t* fileTime);
// Fails before 1980; odd seconds are truncated.
bool FileTimeToDosDateTime(uint64_t fileTime, uint16_t* date, uint16_t* time);
bool DosDateTimeToFileTime(uint16_t date, uint16_t time, uint64_t* fileTime);

uint32_t TickCount();

}  // namespace plat
