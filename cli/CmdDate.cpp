/* qel date: the current time, interval arithmetic and calendar facts. */
#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>

#include "Commands.h"
#include "Console.h"
#include "DateValues.h"
#include "datetime/DateTime.h"

namespace qel::cli {
namespace {

constexpr std::string_view kUsage =
    "qel date | qel date add VALUE [-]INTERVAL | qel date diff A B | qel date info VALUE |\n"
    "       qel date format VALUE [DATEPICTURE|- [TIMEPICTURE]] | qel date parse TEXT [PICTURE]";

std::string localeText(LCTYPE item) {
  WCHAR buffer[80];
  return GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, item, buffer, 80) ? toUtf8(buffer) : std::string("?");
}

// How many years the carry (or borrow) of months and days moved `from` to
// `to`, counting a wrap of the 16-bit field.
long yearsMoved(const SYSTEMTIME& from, const SYSTEMTIME& to, bool subtract) {
  const long moved = subtract ? long(from.wYear) - long(to.wYear) : long(to.wYear) - long(from.wYear);
  return moved < 0 ? moved + 65536 : moved;
}

// "qel: <what>" when the platform's formatter refuses the value.
bool formattable(const SYSTEMTIME& v) {
  if (GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &v, nullptr, nullptr, 0) > 0) return true;
  std::cerr << "qel: " << isoText(v) << " cannot be formatted: " << messageText(GetLastError()) << "\n";
  return false;
}

int runAdd(Args args) {
  if (args.size() != 2) return usageError("add needs VALUE and INTERVAL", kUsage);
  SYSTEMTIME v{}, interval{};
  if (!parseValue(args[0], v)) return usageError("VALUE must be YYYY-MM-DD[THH:MM[:SS[.mmm]]]", kUsage);
  std::string_view text = args[1];
  const bool subtract = !text.empty() && text[0] == '-';
  if (subtract) text.remove_prefix(1);
  if (!parseInterval(text, interval))
    return usageError("INTERVAL must be an ISO duration such as P1M2DT3H", kUsage);
  // The library's 16-bit year wraps; the tool refuses a result that would.
  // The carry of months and days does not depend on the interval's years,
  // so it is found with those left out.
  SYSTEMTIME carried = v, withoutYears = interval;
  withoutYears.wYear = 0;
  subtract ? TDSubst(&carried, &withoutYears) : TDAdd(&carried, &withoutYears);
  const long year =
      long(v.wYear) + (subtract ? -1 : 1) * (yearsMoved(v, carried, subtract) + long(interval.wYear));
  if (year < 0 || year > 65535) return usageError("the result lies outside the years 0 to 65535", kUsage);
  subtract ? TDSubst(&v, &interval) : TDAdd(&v, &interval);
  std::cout << isoText(v) << "\n";
  return 0;
}

int runDiff(Args args) {
  SYSTEMTIME a{}, b{};
  if (args.size() != 2 || !parseValue(args[0], a) || !parseValue(args[1], b))
    return usageError("diff needs two values YYYY-MM-DD[THH:MM[:SS[.mmm]]]", kUsage);
  std::cout << "compare: " << TDCmp(&a, &b) << "\n";
  FILETIME fa, fb;
  if (!SystemTimeToFileTime(&a, &fa) || !SystemTimeToFileTime(&b, &fb)) return 0;
  auto ticks = [](const FILETIME& f) { return (int64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
  int64_t ms = (ticks(fa) - ticks(fb)) / 10000;
  const char* sign = ms < 0 ? "-" : "";
  if (ms < 0) ms = -ms;
  char text[80];
  std::snprintf(text, sizeof text, "%s%lld days %02lld:%02lld:%02lld.%03lld", sign,
                (long long)(ms / 86400000), (long long)(ms / 3600000 % 24), (long long)(ms / 60000 % 60),
                (long long)(ms / 1000 % 60), (long long)(ms % 1000));
  std::cout << "difference: " << text << "\n";
  return 0;
}

int runInfo(Args args) {
  SYSTEMTIME v{};
  if (args.size() != 1 || !parseValue(args[0], v))
    return usageError("info needs one value YYYY-MM-DD[THH:MM[:SS[.mmm]]]", kUsage);
  SYSTEMTIME probe = v;
  FILETIME ft;
  const bool convertible = SystemTimeToFileTime(&v, &ft);
  const WORD dow = TDGetDayOfWeek(&probe);
  std::cout << "value: " << isoText(v) << "\n";
  std::cout << "day of week: " << dow;
  if (convertible) std::cout << " (" << localeText(LOCALE_SDAYNAME1 + (dow + 6) % 7) << ")";
  std::cout << "\nday of year: " << TDGetDayOfYear(&v) << "\n";
  std::cout << "week of year: " << TDGetWeekOfYear(&v) << " (first-week rule "
            << localeText(LOCALE_IFIRSTWEEKOFYEAR) << " of " << localeText(LOCALE_SNAME) << ")\n";
  std::cout << "leap year: " << (IsLeapYear(v.wYear) ? "yes" : "no") << "\n";
  return 0;
}

int runFormat(Args args) {
  SYSTEMTIME v{};
  if (args.empty() || args.size() > 3 || !parseValue(args[0], v))
    return usageError("format needs VALUE [DATEPICTURE|- [TIMEPICTURE]]", kUsage);
  // "-" stands for no date picture, so a time picture alone can be given.
  std::basic_string<WCHAR> pictures[2];
  const WCHAR* picture[2] = {nullptr, nullptr};
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-") continue;
    pictures[i - 1] = fromUtf8(args[i]);
    picture[i - 1] = pictures[i - 1].c_str();
  }
  if (!formattable(v)) return 2;
  LONG size = 0;
  TDToString(&v, picture[0], picture[1], nullptr, &size);
  std::basic_string<WCHAR> text(size_t(size), 0);
  if (!TDToString(&v, picture[0], picture[1], text.data(), &size)) return 1;
  std::cout << toUtf8(text.c_str()) << "\n";
  return 0;
}

int runParse(Args args) {
  if (args.empty() || args.size() > 2) return usageError("parse needs TEXT [PICTURE]", kUsage);
  const std::basic_string<WCHAR> text = fromUtf8(args[0]);
  const std::basic_string<WCHAR> picture = args.size() == 2 ? fromUtf8(args[1]) : std::basic_string<WCHAR>();
  SYSTEMTIME v{};
  if (!TDFromString(text.c_str(), args.size() == 2 ? picture.c_str() : nullptr, &v)) {
    std::cerr << "qel: the text does not match the picture\n";
    return 1;
  }
  std::cout << isoText(v) << " (day of week field " << v.wDayOfWeek << ")\n";
  // The parser checks fields one by one, not whether they make a date.
  FILETIME probe;
  if (!SystemTimeToFileTime(&v, &probe))
    std::cerr << "qel: warning: " << isoText(v) << " is not a date of the calendar\n";
  return 0;
}

int runDate(Args args) {
  if (args.empty()) {
    SYSTEMTIME now{};
    TDGetActTime(&now);
    std::cout << isoText(now) << "\n";
    return 0;
  }
  const Args rest = args.subspan(1);
  if (args[0] == "add") return runAdd(rest);
  if (args[0] == "diff") return runDiff(rest);
  if (args[0] == "info") return runInfo(rest);
  if (args[0] == "format") return runFormat(rest);
  if (args[0] == "parse") return runParse(rest);
  return usageError("unknown date command '" + std::string(args[0]) + "'", kUsage);
}

}  // namespace

const Command kDateCommand{
    "date", "[add VALUE [-]INTERVAL | diff A B | info VALUE | format VALUE [P [Q]] | parse TEXT [P]]",
    "date/time values: now, arithmetic, calendar, text",
    "Without arguments prints the current local date and time.\n"
    "  add VALUE INTERVAL    VALUE plus an ISO duration (P1Y2M3DT4H5M6.007S), field\n"
    "                        by field with carries (TDAdd); -INTERVAL subtracts (TDSubst)\n"
    "  diff A B              TDCmp of A and B (-1, 0, 1) and the time from B to A\n"
    "  info VALUE            day of week, day of year, week of year (by the first-week\n"
    "                        rule of the system default locale) and leap year\n"
    "  format VALUE [DATEPICTURE|- [TIMEPICTURE]]\n"
    "                        TDToString: date and time in the locale's default forms,\n"
    "                        or by pictures (d dd ddd dddd M MM MMM MMMM y yy yyyy gg\n"
    "                        h hh H HH m mm s ss t tt 'text'); one picture alone gives\n"
    "                        only its part; - stands for no date picture\n"
    "  parse TEXT [PICTURE]  TDFromString: the value read by PICTURE (default: the\n"
    "                        locale's short date); exit 1 when the text does not match\n"
    "Values are YYYY-MM-DD[THH:MM[:SS[.mmm]]], set with TDSetTime, so overflowing\n"
    "fields carry (2023-02-30 is 2023-03-02). The locale comes from QELBASE_LOCALE,\n"
    "LC_ALL, LC_MESSAGES or LANG.\n",
    runDate};

}  // namespace qel::cli
