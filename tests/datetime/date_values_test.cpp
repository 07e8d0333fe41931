/* Date and time values: the case file's arithmetic, comparison, ranges,
   normalising and reading by a picture; leap years, day of week, day of
   year and week of year against std::chrono's civil calendar; the values'
   life cycle and the current time; TDToString's size protocol and parts,
   TDFromString's rules, and round trips in the system default locale (the
   suite also runs with QELBASE_LOCALE=de-DE). */
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "datetime/CalendarRules.h"
#include "datetime/DateTime.h"
#include "support/CaseFile.h"
#include "support/Platform.h"

namespace {

using qel::test::systemTimeOf;
using qel::test::WString;

// The case files' notation of a value (as systemTimeOf reads it).
std::string textOf(const SYSTEMTIME& v) {
  char text[64];
  int n = std::snprintf(text, sizeof text, "%d-%d-%d", v.wYear, v.wMonth, v.wDay);
  if (v.wHour || v.wMinute || v.wSecond || v.wMilliseconds)
    std::snprintf(text + n, sizeof text - size_t(n), " %d:%d:%d.%d", v.wHour, v.wMinute, v.wSecond,
                  v.wMilliseconds);
  return text;
}

// What the operation of the case gives, checking the day of week it leaves.
std::string operate(const qel::test::Case& c) {
  const std::string& op = c[0];
  SYSTEMTIME v = systemTimeOf(c[1]);
  if (op == "Add" || op == "Subst") {
    const SYSTEMTIME interval = systemTimeOf(c[2]);
    v.wDayOfWeek = 4;  // kept as it is: no arithmetic updates it
    EXPECT_EQ(op == "Add" ? TDAdd(&v, &interval) : TDSubst(&v, &interval), &v);
    EXPECT_EQ(v.wDayOfWeek, 4);
    return textOf(v);
  }
  if (op == "Cmp") {
    const SYSTEMTIME other = systemTimeOf(c[2]);
    v.wDayOfWeek = 3;  // not compared
    const LONG order = TDCmp(&v, &other);
    EXPECT_EQ(TDCmp(&other, &v), -order);
    return std::to_string(order);
  }
  if (op == "InRange") {
    const SYSTEMTIME second = systemTimeOf(c[2]), probe = systemTimeOf(c[3]);
    return std::to_string(TDInRange(&v, &second, &probe));
  }
  if (op == "SetTime") {
    SYSTEMTIME out{};
    out.wDayOfWeek = 3;
    TDSetTime(&out, v.wYear, v.wMonth, v.wDay, v.wHour, v.wMinute, v.wSecond, v.wMilliseconds);
    EXPECT_EQ(out.wDayOfWeek, 0);
    return textOf(out);
  }
  // Parse: every field is set, the day of week to 0, or nothing on refusal.
  SYSTEMTIME target{1, 2, 1, 3, 4, 5, 6, 7};
  const SYSTEMTIME before = target;
  const std::string picture = c[2];
  TD result = TDFromString(qel::test::unescape(c[1]).c_str(), qel::test::unescape(picture).c_str(), &target);
  if (!result) {
    EXPECT_EQ(std::memcmp(&target, &before, sizeof target), 0);
    return "-";
  }
  EXPECT_EQ(result, &target);
  EXPECT_EQ(target.wDayOfWeek, 0);
  return textOf(target);
}

TEST(DateValues, CasesOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("datetime/dates.txt"))
    EXPECT_EQ(operate(c), c.fields.back()) << c.where;
}

using namespace std::chrono;

SYSTEMTIME at(int y, int m, int d, int h = 0, int mi = 0, int s = 0, int ms = 0, int dow = 0) {
  return SYSTEMTIME{WORD(y), WORD(m), WORD(dow), WORD(d), WORD(h), WORD(mi), WORD(s), WORD(ms)};
}

SYSTEMTIME fromDays(sys_days day) {
  year_month_day ymd{day};
  return at(int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())));
}

TEST(Calendar, EveryDayFrom1601To9999) {
  const sys_days first = sys_days{year{1601} / January / 1};
  const sys_days last = sys_days{year{9999} / December / 31};
  int checked = 0;
  for (sys_days day = first; day <= last; day += days{1}) {
    SYSTEMTIME v = fromDays(day);
    v.wDayOfWeek = 5;  // wrong on purpose: the query corrects it
    const year_month_day ymd{day};
    const WORD expectedDow = WORD(weekday{day}.c_encoding());
    const WORD expectedDoy = WORD((day - sys_days{ymd.year() / January / 1}).count() + 1);
    if (TDGetDayOfWeek(&v) != expectedDow || v.wDayOfWeek != expectedDow ||
        TDGetDayOfYear(&v) != expectedDoy || IsLeapYear(v.wYear) != int(ymd.year().is_leap())) {
      ADD_FAILURE() << v.wYear << "-" << v.wMonth << "-" << v.wDay;
      break;
    }
    ++checked;
  }
  EXPECT_EQ(checked, (last - first).count() + 1);
}

// Beyond the days the model above walks: years outside the range and
// fields out of their range, which the queries take as they stand.
TEST(Calendar, LeapYearsAndDaysOfYearOutOfRange) {
  for (auto [year, leap] : {std::pair{1600, 1}, {0, 1}, {65535, 0}})
    EXPECT_EQ(IsLeapYear(WORD(year)), leap) << year;
  for (auto [v, dayOfYear] :
       {std::pair{at(2024, 0, 5), 5}, {at(2024, 1, 0), 0}, {at(2023, 14, 2), 367}, {at(2023, 2, 40), 71}})
    EXPECT_EQ(TDGetDayOfYear(&v), dayOfYear) << v.wMonth << "/" << v.wDay;
}

// The day of week of what the platform converts (its file-time cases);
// what it refuses gives 0 and stays as it was.
TEST(Calendar, DayOfWeekRejectsWhatThePlatformCannotConvert) {
  for (const qel::test::Case& c : qel::test::readCases("platform/file_times.txt")) {
    if (qel::test::underWine() && c.size() > 3) continue;
    SYSTEMTIME v = qel::test::systemTimeOf(c[0]);
    v.wDayOfWeek = 4;
    const SYSTEMTIME before = v;
    EXPECT_EQ(TDGetDayOfWeek(&v), c[1] == "-" ? 0 : std::stoi(c[2])) << c.where;
    EXPECT_TRUE(c[1] != "-" || std::memcmp(&v, &before, sizeof v) == 0) << c.where;
  }
}

// References: ISO 8601 for rule 2; the Monday-based week holding 1 January
// for rule 0; weeks from the first Monday for rule 1.
WORD referenceWeek(WCHAR rule, sys_days day) {
  const year_month_day ymd{day};
  const sys_days monday = day - (weekday{day} - Monday);
  if (rule == u'2') {
    const sys_days thursday = monday + days{3};
    const sys_days jan1{year_month_day{thursday}.year() / January / 1};
    return WORD((thursday - jan1).count() / 7 + 1);
  }
  if (rule == u'0') {
    const sys_days nextJan1{(ymd.year() + years{1}) / January / 1};
    if (monday + days{6} >= nextJan1) return 1;
    const sys_days jan1{ymd.year() / January / 1};
    return WORD((day - (jan1 - (weekday{jan1} - Monday))).count() / 7 + 1);
  }
  auto firstMonday = [](year y) {
    const sys_days jan1{y / January / 1};
    return jan1 + (Monday - weekday{jan1});
  };
  sys_days start = firstMonday(ymd.year());
  if (day < start) start = firstMonday(ymd.year() - years{1});
  return WORD((day - start).count() / 7 + 1);
}

TEST(Calendar, WeekOfYearModel1900To2100) {
  for (WCHAR rule : {u'0', u'1', u'2'}) {
    for (sys_days day = sys_days{year{1900} / January / 1}; day <= sys_days{year{2100} / December / 31};
         day += days{1}) {
      const SYSTEMTIME v = fromDays(day);
      const WORD expected = referenceWeek(rule, day);
      if (qel::datetime::weekOfYear(v, rule) != expected) {
        ADD_FAILURE() << char(rule) << " " << v.wYear << "-" << v.wMonth << "-" << v.wDay << " expected "
                      << expected << " got " << qel::datetime::weekOfYear(v, rule);
        break;
      }
    }
  }
  // An unknown rule counts as 0; a day 0 is week 0.
  EXPECT_EQ(qel::datetime::weekOfYear(at(2023, 1, 1), u'x'), 52);
  EXPECT_EQ(qel::datetime::weekOfYear(at(2024, 1, 0), u'2'), 0);
}

TEST(Calendar, WeekOfYearUsesTheSystemLocaleRule) {
  WCHAR rule[10] = {};
  ASSERT_GT(GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IFIRSTWEEKOFYEAR, rule, 10), 0);
  const SYSTEMTIME v = at(2021, 1, 1);
  EXPECT_EQ(TDGetWeekOfYear(&v), qel::datetime::weekOfYear(v, rule[0]));
  EXPECT_EQ(TDGetWeekOfYear(&v), rule[0] == u'2' ? 53 : 1);
}

TEST(DateTimeValues, LifeCycleAndIntervalsKeptAsGiven) {
  const SYSTEMTIME zero{};
  TD td = TDNew();
  ASSERT_NE(td, nullptr);
  EXPECT_EQ(std::memcmp(td, &zero, sizeof zero), 0);
  EXPECT_EQ(TDSetInterval(td, 1, 25, 40, 30, 70, 80, 2000), td);
  const SYSTEMTIME interval = at(1, 25, 40, 30, 70, 80, 2000);
  EXPECT_EQ(std::memcmp(td, &interval, sizeof *td), 0);

  SYSTEMTIME copy{};
  EXPECT_EQ(TDCopy(&copy, td), &copy);
  EXPECT_EQ(std::memcmp(&copy, td, sizeof copy), 0);
  EXPECT_EQ(TDInit(td), td);
  EXPECT_EQ(std::memcmp(td, &zero, sizeof *td), 0);
  TDFree(td);
}

TEST(DateTimeValues, CurrentLocalTime) {
  SYSTEMTIME now{};
  TDGetActTime(&now);
  SYSTEMTIME check = now;
  EXPECT_EQ(TDGetDayOfWeek(&check), now.wDayOfWeek);
  EXPECT_GE(now.wYear, 2024);
  const WORD year = TDGetYears(nullptr);
  EXPECT_TRUE(year == now.wYear || year == now.wYear + 1);
  EXPECT_GE(TDGetDayOfYear(nullptr), 1);
  EXPECT_LE(TDGetWeekOfYear(nullptr), 53);
  EXPECT_LE(TDGetMonths(nullptr), 12);
  EXPECT_LT(TDGetHours(nullptr), 24);
}

WString localeItem(LCTYPE item) {
  WCHAR buffer[100];
  return GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, item, buffer, 100) ? WString(buffer) : QEL_W("");
}

WString format(const SYSTEMTIME& v, const WCHAR* datePicture, const WCHAR* timePicture) {
  LONG size = 0;
  EXPECT_EQ(TDToString(&v, datePicture, timePicture, nullptr, &size), nullptr);
  WString text(size_t(size), u'#');
  LONG given = size;
  EXPECT_EQ(TDToString(&v, datePicture, timePicture, text.data(), &given), text.data());
  EXPECT_EQ(given, size);  // left as it was
  EXPECT_EQ(text[size_t(size - 1)], 0);
  text.resize(size_t(size - 1));
  return text;
}

// The platform's own text of the value in the locale's form.
WString platformText(decltype(&GetDateFormatW) formatter, const SYSTEMTIME& v, DWORD flags) {
  WCHAR buffer[100];
  int n = formatter(LOCALE_SYSTEM_DEFAULT, flags, &v, nullptr, buffer, 100);
  return WString(buffer, size_t(n > 0 ? n - 1 : 0));
}

TEST(DateToString, PartsAndSizeProtocol) {
  const SYSTEMTIME v = at(2026, 12, 6, 17, 5, 9);
  const WString date = platformText(GetDateFormatW, v, LOCALE_NOUSEROVERRIDE);
  const WString time = platformText(GetTimeFormatW, v, LOCALE_NOUSEROVERRIDE);
  ASSERT_FALSE(date.empty());
  ASSERT_FALSE(time.empty());

  LONG size = 0;
  EXPECT_EQ(TDToString(&v, nullptr, nullptr, nullptr, &size), nullptr);
  EXPECT_EQ(size, LONG(date.size() + time.size() + 1));
  EXPECT_EQ(format(v, nullptr, nullptr), date + time);  // run together, nothing between
  EXPECT_EQ(format(v, QEL_W("yyyy-MM-dd"), nullptr), QEL_W("2026-12-06"));
  EXPECT_EQ(format(v, nullptr, QEL_W("HH.mm")), QEL_W("17.05"));
  EXPECT_EQ(format(v, QEL_W("d.M. "), QEL_W("H:mm")), QEL_W("6.12. 17:05"));
  EXPECT_EQ(format(v, QEL_W(""), QEL_W("")), QEL_W(""));

  // One character short: nothing is written, the needed count comes back.
  WCHAR buffer[64];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  size = 10;
  EXPECT_EQ(TDToString(&v, QEL_W("yyyy-MM-dd"), nullptr, buffer, &size), nullptr);
  EXPECT_EQ(size, 11);
  EXPECT_EQ(buffer[0], u'#');
  EXPECT_EQ(TDToString(&v, QEL_W("yyyy"), nullptr, buffer, nullptr), nullptr);
  // A value the formatter refuses gives empty parts.
  const SYSTEMTIME invalid = at(2023, 2, 30, 25);
  EXPECT_EQ(format(invalid, QEL_W("d"), QEL_W("H")), QEL_W(""));
}

TEST(DateFromString, MissingArguments) {
  SYSTEMTIME target{};
  EXPECT_EQ(TDFromString(nullptr, QEL_W("d"), &target), nullptr);
  EXPECT_EQ(TDFromString(QEL_W("1"), QEL_W("d"), nullptr), nullptr);
}

TEST(DateFromString, NamesOfTheSystemLocale) {
  for (int k = 1; k <= 7; ++k) {
    for (LCTYPE first : {LOCALE_SDAYNAME1, LOCALE_SABBREVDAYNAME1}) {
      WString name = localeItem(first + LCTYPE(k - 1));
      WString upper;
      for (WCHAR c : name) upper += c < 0x80 && c >= u'a' && c <= u'z' ? WCHAR(c - 32) : c;
      SYSTEMTIME v{};
      const WCHAR* picture = first == LOCALE_SDAYNAME1 ? QEL_W("dddd") : QEL_W("ddd");
      ASSERT_NE(TDFromString((QEL_W("  ") + upper).c_str(), picture, &v), nullptr);
      EXPECT_EQ(v.wDayOfWeek, k % 7) << std::string(name.begin(), name.end());
    }
  }
  for (int k = 1; k <= 12; ++k) {
    SYSTEMTIME v{};
    ASSERT_NE(TDFromString(localeItem(LOCALE_SMONTHNAME1 + LCTYPE(k - 1)).c_str(), QEL_W("MMMM"), &v),
              nullptr);
    EXPECT_EQ(v.wMonth, k);
    ASSERT_NE(TDFromString(localeItem(LOCALE_SABBREVMONTHNAME1 + LCTYPE(k - 1)).c_str(), QEL_W("MMM"), &v),
              nullptr);
    EXPECT_EQ(v.wMonth, k);
  }
  SYSTEMTIME v = at(1, 1, 1);
  EXPECT_EQ(TDFromString(QEL_W("Xyzday"), QEL_W("dddd"), &v), &v);  // an unknown day name does not fail
  EXPECT_EQ(v.wDayOfWeek, 0);
  EXPECT_EQ(TDFromString(QEL_W("Smarch"), QEL_W("MMMM"), &v), nullptr);  // an unknown month does
  // The short-date picture of the locale is the default.
  SYSTEMTIME d{};
  const SYSTEMTIME sample = at(2026, 12, 6);
  ASSERT_NE(TDFromString(platformText(GetDateFormatW, sample, 0).c_str(), nullptr, &d), nullptr);
  EXPECT_EQ(std::memcmp(&d, &sample, sizeof d), 0);
}

TEST(DateText, RoundTripsOverManyDates) {
  const WString shortDate = localeItem(LOCALE_SSHORTDATE);
  const WString longDate = localeItem(LOCALE_SLONGDATE);
  struct Pictures {
    const WCHAR* date;
    const WCHAR* time;  // null: the date alone
  };
  // clang-format off
  const Pictures pictures[] = {{shortDate.c_str(), nullptr},
                               {longDate.c_str(), nullptr}, {QEL_W("dd.MM.yyyy "), QEL_W("HH:mm:ss")},
                               {QEL_W("yyyyMMdd"), QEL_W("HHmmss")},
                               {QEL_W("ddd, d MMM yyyy "), QEL_W("H:m:s")},
                               {QEL_W("d MMMM yyyy"), nullptr}};
  int checked = 0;
  // clang-format on
  const SYSTEMTIME step = at(0, 0, 97, 5, 7, 11);
  for (SYSTEMTIME v = at(1601, 1, 1); v.wYear < 9999; TDAdd(&v, &step)) {
    SYSTEMTIME probe = v;
    const WORD dayOfWeek = TDGetDayOfWeek(&probe);
    for (const Pictures& p : pictures) {
      const WString text = format(v, p.date, p.time ? p.time : QEL_W(""));
      const WString picture = WString(p.date) + (p.time ? p.time : QEL_W(""));
      const bool hasDayName = picture.find(QEL_W("ddd")) != WString::npos;
      SYSTEMTIME back{};
      ASSERT_NE(TDFromString(text.c_str(), picture.c_str(), &back), nullptr)
          << std::string(text.begin(), text.end());
      const SYSTEMTIME expected = at(v.wYear, v.wMonth, v.wDay, p.time ? v.wHour : 0, p.time ? v.wMinute : 0,
                                     p.time ? v.wSecond : 0, 0, hasDayName ? dayOfWeek : 0);
      if (std::memcmp(&back, &expected, sizeof back) != 0) {
        ADD_FAILURE() << std::string(text.begin(), text.end()) << " by "
                      << std::string(picture.begin(), picture.end());
        return;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 150000);
}

}  // namespace
