/*
 * The clock and the conversions between SYSTEMTIME and FILETIME, with
 * Windows' validation.  Local time follows the process's time zone (TZ);
 * file times convert to local ones with the zone's current bias, as Windows
 * does.
 */
#include <qel/win32.h>
#include <time.h>

#include <cstdint>

#include "syscalls.h"

namespace sys = qel::posix::sys;

namespace {

constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kTicksPerDay = 86400LL * 1000 * kTicksPerMillisecond;
constexpr int64_t kDaysFrom1601To1970 = 134774;
constexpr uint64_t kLargestFileTime = 0x7FFFFFFFFFFFFFFFull;

bool isLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int64_t y, unsigned m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + int64_t(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = unsigned(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = int64_t(yoe) + era * 400 + (m <= 2);
}

uint64_t ticksOf(const FILETIME& ft) { return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

void setTicks(FILETIME& ft, uint64_t ticks) {
  ft.dwLowDateTime = DWORD(ticks & 0xFFFFFFFFu);
  ft.dwHighDateTime = DWORD(ticks >> 32);
}

void systemTimeFromTicks(uint64_t ticks, SYSTEMTIME& st) {
  const int64_t days = int64_t(ticks / kTicksPerDay);
  int64_t ms = int64_t(ticks % kTicksPerDay) / kTicksPerMillisecond;
  int64_t y;
  unsigned m, d;
  civilFromDays(days - kDaysFrom1601To1970, y, m, d);
  st.wYear = WORD(y);
  st.wMonth = WORD(m);
  st.wDay = WORD(d);
  st.wDayOfWeek = WORD((days + 1) % 7);  // 1 January 1601 was a Monday
  st.wMilliseconds = WORD(ms % 1000);
  ms /= 1000;
  st.wSecond = WORD(ms % 60);
  ms /= 60;
  st.wMinute = WORD(ms % 60);
  st.wHour = WORD(ms / 60);
}

timespec now() {
  timespec ts{};
  sys::clock_gettime(CLOCK_REALTIME, &ts);  // the clock in use, which a test may run ahead
  return ts;
}

uint64_t ticksAt(const timespec& ts) {
  return uint64_t(kDaysFrom1601To1970 * kTicksPerDay) + uint64_t(ts.tv_sec) * 10000000u +
         uint64_t(ts.tv_nsec / 100);
}

uint64_t nowTicks() { return ticksAt(now()); }

// The zone's offset from UTC at a second, in ticks (local = UTC + bias).
// localtime_r takes a process-wide lock and walks the zone's rules, the
// dearest part of reading the local clock, so each thread keeps the offset
// of the last second it asked about: a trace writing thousands of records
// a second asks once.
int64_t biasAt(time_t second) {
  thread_local time_t known = 0;
  thread_local int64_t bias = 0;
  thread_local bool any = false;
  if (!any || second != known) {
    tm local{};
    if (!sys::localtime_r(&second, &local)) return 0;  // not kept: the next call asks again
    known = second, bias = int64_t(local.tm_gmtoff) * 10000000, any = true;
  }
  return bias;
}

int64_t localBiasTicks() { return biasAt(now().tv_sec); }

BOOL shiftFileTime(const FILETIME* in, LPFILETIME out, int64_t shift) {
  if (!in || !out) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int64_t ticks = int64_t(ticksOf(*in)) + shift;
  if (ticks < 0 || uint64_t(ticks) > kLargestFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  setTicks(*out, uint64_t(ticks));
  return TRUE;
}

}  // namespace

extern "C" {

void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpFileTime) { setTicks(*lpFileTime, nowTicks()); }

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) { systemTimeFromTicks(nowTicks(), *lpSystemTime); }

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  const timespec ts = now();
  systemTimeFromTicks(uint64_t(int64_t(ticksAt(ts)) + biasAt(ts.tv_sec)), *lpSystemTime);
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME ft) {
  if (!st || !ft || st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 || st->wMonth > 12 ||
      st->wDay < 1 || st->wDay > daysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 ||
      st->wSecond > 59 || st->wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int64_t days = daysFromCivil(st->wYear, st->wMonth, st->wDay) + kDaysFrom1601To1970;
  const int64_t ms = ((int64_t(st->wHour) * 60 + st->wMinute) * 60 + st->wSecond) * 1000 + st->wMilliseconds;
  setTicks(*ft, uint64_t(days * kTicksPerDay + ms * kTicksPerMillisecond));
  return TRUE;
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* ft, LPSYSTEMTIME st) {
  if (!ft || !st || ticksOf(*ft) > kLargestFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  systemTimeFromTicks(ticksOf(*ft), *st);
  return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
  return shiftFileTime(lpFileTime, lpLocalFileTime, localBiasTicks());
}

BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime) {
  return shiftFileTime(lpLocalFileTime, lpFileTime, -localBiasTicks());
}

}  // extern "C"
