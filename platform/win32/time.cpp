#include "platform/time.h"

#include <windows.h>

namespace plat {

namespace {
SYSTEMTIME ToWin(const SystemTime& s) {
  SYSTEMTIME w;
  w.wYear = s.year;
  w.wMonth = s.month;
  w.wDayOfWeek = s.dayOfWeek;
  w.wDay = s.day;
  w.wHour = s.hour;
  w.wMinute = s.minute;
  w.wSecond = s.second;
  w.wMilliseconds = s.milliseconds;
  return w;
}
void FromWin(const SYSTEMTIME& w, SystemTime* s) {
  s->year = w.wYear;
  s->month = w.wMonth;
  s->dayOfWeek = w.wDayOfWeek;
  s->day = w.wDay;
  s->hour = w.wHour;
  s->minute = w.wMinute;
  s->second = w.wSecond;
  s->milliseconds = w.wMilliseconds;
}
FILETIME Split(uint64_t v) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return ft;
}
uint64_t Join(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }
}  // namespace

void GetLocalTime(SystemTime* out) {
  SYSTEMTIME w;
  ::GetLocalTime(&w);
  FromWin(w, out);
}

void GetSystemTime(SystemTime* out) {
  SYSTEMTIME w;
  ::GetSystemTime(&w);
  FromWin(w, out);
}

bool SystemTimeToFileTime(const SystemTime& st, uint64_t* fileTime) {
  SYSTEMTIME w = ToWin(st);
  FILETIME ft;
  if (!::SystemTimeToFileTime(&w, &ft)) return false;
  *fileTime = Join(ft);
  return true;
}

bool FileTimeToSystemTime(uint64_t fileTime, SystemTime* st) {
  FILETIME ft = Split(fileTime);
  SYSTEMTIME w;
  if (!::FileTimeToSystemTime(&ft, &w)) return false;
  FromWin(w, st);
  return true;
}

bool FileTimeToLocalFileTime(uint64_t fileTime, uint64_t* local) {
  FILETIME in = Split(fileTime), out;
  if (!::FileTimeToLocalFileTime(&in, &out)) return false;
  *local = Join(out);
  return true;
}

bool LocalFileTimeToFileTime(uint64_t local, uint64_t* fileTime) {
  FILETIME in = Split(local), out;
  if (!::LocalFileTimeToFileTime(&in, &out)) return false;
  *fileTime = Join(out);
  return true;
}

bool FileTimeToDosDateTime(uint64_t fileTime, uint16_t* date, uint16_t* time) {
  FILETIME ft = Split(fileTime);
  WORD d, t;
  if (!::FileTimeToDosDateTime(&ft, &d, &t)) return false;
  *date = d;
  *time = t;
  return true;
}

bool DosDateTimeToFileTime(uint16_t date, uint16_t time, uint64_t* fileTime) {
  FILETIME ft;
  if (!::DosDateTimeToFileTime(date, time, &ft)) return false;
  *fileTime = Join(ft);
  return true;
}

uint32_t TickCount() { return GetTickCount(); }

}  // namespace plat
