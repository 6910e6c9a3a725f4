#include "platform/time.h"

#include <ctime>

namespace plat {

namespace {

constexpr uint64_t kTicksPerSecond = 10000000ULL;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int>(yy + (*m <= 2));
}

void FromTimespec(const timespec& ts, bool local, SystemTime* out) {
  struct tm tm;
  time_t t = ts.tv_sec;
  if (local) localtime_r(&t, &tm);
  else gmtime_r(&t, &tm);
  out->year = static_cast<uint16_t>(tm.tm_year + 1900);
  out->month = static_cast<uint16_t>(tm.tm_mon + 1);
  out->dayOfWeek = static_cast<uint16_t>(tm.tm_wday);
  out->day = static_cast<uint16_t>(tm.tm_mday);
  out->hour = static_cast<uint16_t>(tm.tm_hour);
  out->minute = static_cast<uint16_t>(tm.tm_min);
  out->second = static_cast<uint16_t>(tm.tm_sec);
  out->milliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
}

// Windows converts between UTC and local file times with the bias in force now,
// not the one of the date converted.
int64_t CurrentBiasSeconds() {
  time_t now = time(nullptr);
  struct tm tm;
  localtime_r(&now, &tm);
  return tm.tm_gmtoff;
}

}  // namespace

void GetLocalTime(SystemTime* out) {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  FromTimespec(ts, true, out);
}

void GetSystemTime(SystemTime* out) {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  FromTimespec(ts, false, out);
}

bool SystemTimeToFileTime(const SystemTime& st, uint64_t* fileTime) {
  if (st.year < 1601 || st.year > 30827 || st.month < 1 || st.month > 12 || st.day < 1 ||
      st.day > DaysInMonth(st.year, st.month) || st.hour > 23 || st.minute > 59 || st.second > 59 ||
      st.milliseconds > 999)
    return false;
  int64_t days = DaysFromCivil(st.year, st.month, st.day);
  int64_t seconds = days * 86400 + st.hour * 3600 + st.minute * 60 + st.second + kSecondsFrom1601To1970;
  *fileTime = static_cast<uint64_t>(seconds) * kTicksPerSecond + st.milliseconds * 10000ULL;
  return true;
}

bool FileTimeToSystemTime(uint64_t fileTime, SystemTime* st) {
  if (fileTime >= 0x8000000000000000ULL) return false;
  int64_t seconds = static_cast<int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970;
  int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  int64_t rest = seconds - days * 86400;
  int y;
  unsigned m, d;
  CivilFromDays(days, &y, &m, &d);
  st->year = static_cast<uint16_t>(y);
  st->month = static_cast<uint16_t>(m);
  st->day = static_cast<uint16_t>(d);
  st->dayOfWeek = static_cast<uint16_t>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  st->hour = static_cast<uint16_t>(rest / 3600);
  st->minute = static_cast<uint16_t>(rest / 60 % 60);
  st->second = static_cast<uint16_t>(rest % 60);
  st->milliseconds = static_cast<uint16_t>(fileTime / 10000 % 1000);
  return true;
}

bool FileTimeToLocalFileTime(uint64_t fileTime, uint64_t* local) {
  *local = fileTime + static_cast<uint64_t>(CurrentBiasSeconds() * static_cast<int64_t>(kTicksPerSecond));
  return true;
}

bool LocalFileTimeToFileTime(uint64_t local, uint64_t* fileTime) {
  *fileTime = local - static_cast<uint64_t>(CurrentBiasSeconds() * static_cast<int64_t>(kTicksPerSecond));
  return true;
}

bool FileTimeToDosDateTime(uint64_t fileTime, uint16_t* date, uint16_t* time) {
  SystemTime st;
  if (!FileTimeToSystemTime(fileTime, &st) || st.year < 1980) return false;
  // The year field is seven bits wide; like Windows, later years wrap.
  *date = static_cast<uint16_t>(((st.year - 1980) << 9) | (st.month << 5) | st.day);
  *time = static_cast<uint16_t>((st.hour << 11) | (st.minute << 5) | (st.second / 2));
  return true;
}

bool DosDateTimeToFileTime(uint16_t date, uint16_t time, uint64_t* fileTime) {
  SystemTime st = {};
  st.year = static_cast<uint16_t>((date >> 9) + 1980);
  st.month = static_cast<uint16_t>((date >> 5) & 15);
  st.day = static_cast<uint16_t>(date & 31);
  st.hour = static_cast<uint16_t>(time >> 11);
  st.minute = static_cast<uint16_t>((time >> 5) & 63);
  st.second = static_cast<uint16_t>((time & 31) * 2);
  return SystemTimeToFileTime(st, fileTime);
}

uint32_t TickCount() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
}

}  // namespace plat
