/* Leap years, month lengths, day of week, day of year and week of year. */
#include "datetime/CalendarRules.h"

namespace qel::datetime {
namespace {

constexpr WORD kDaysInMonth[2][13] = {
    {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

unsigned dayOfYear(const SYSTEMTIME& v) {
  unsigned d = v.wDay;
  for (unsigned m = 1; m < v.wMonth && m <= 12; ++m) d += daysInMonth(m, v.wYear);
  return WORD(d);
}

// Monday 0 .. Sunday 6 from the platform's Sunday-based answer.
unsigned weekdayFromMonday(SYSTEMTIME v) {
  WORD dow = TDGetDayOfWeek(&v);
  return dow == 0 ? 6 : dow - 1u;
}

WCHAR firstWeekRule() {
  WCHAR rule[10] = {};
  if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IFIRSTWEEKOFYEAR, rule, 10)) return 0;
  return rule[0];
}

}  // namespace

SYSTEMTIME valueOrNow(const SYSTEMTIME* td) {
  SYSTEMTIME v;
  if (td)
    v = *td;
  else
    GetLocalTime(&v);
  return v;
}

WORD weekOfYear(const SYSTEMTIME& v, WCHAR rule) {
  SYSTEMTIME newYear = v;
  newYear.wMonth = 1;
  newYear.wDay = 1;
  const unsigned j = weekdayFromMonday(newYear);
  newYear.wYear = WORD(v.wYear + 1);
  const unsigned n = weekdayFromMonday(newYear);
  const unsigned d = dayOfYear(v);
  if (d == 0) return 0;
  // The December tests take December as 31 days long.
  const bool inWeekOfNextNewYear = v.wMonth == 12 && 31 - int(v.wDay) < int(n);
  unsigned w = (d + j - 1) / 7;
  switch (rule) {
    case u'0':  // week 1 holds 1 January
      ++w;
      if (inWeekOfNextNewYear) return 1;
      break;
    case u'1':  // week 1 is the first full week
      if (j == 0) ++w;
      break;
    case u'2':  // week 1 has at least four days of the new year
      if (j <= 3) ++w;
      if (inWeekOfNextNewYear && n <= 3) return 1;
      break;
    default: break;
  }
  if (w != 0) return WORD(w);
  // The last week of the previous year: the same day counted from there.
  SYSTEMTIME previous = v;
  previous.wYear = WORD(v.wYear - 1);
  previous.wMonth = 12;
  previous.wDay = WORD(v.wDay + 31);
  return weekOfYear(previous, rule);
}

bool isLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned daysInMonth(unsigned month, unsigned year) {
  return month > 12 ? 0 : kDaysInMonth[isLeapYear(year) ? 1 : 0][month];
}

}  // namespace qel::datetime

using namespace qel::datetime;

extern "C" {

INT QEL_CDECL IsLeapYear(WORD wYear) { return isLeapYear(wYear) ? 1 : 0; }

WORD QEL_CDECL TDGetDayOfWeek(TD td) {
  SYSTEMTIME now;
  if (!td) {
    GetLocalTime(&now);
    td = &now;
  }
  FILETIME ft;
  if (!SystemTimeToFileTime(td, &ft)) return 0;
  if (!FileTimeToSystemTime(&ft, td)) return 0;
  return td->wDayOfWeek;
}

WORD QEL_CDECL TDGetDayOfYear(const SYSTEMTIME* td) { return WORD(dayOfYear(valueOrNow(td))); }

WORD QEL_CDECL TDGetWeekOfYear(const SYSTEMTIME* td) { return weekOfYear(valueOrNow(td), firstWeekRule()); }

}  // extern "C"
