/* The clock, SYSTEMTIME <-> FILETIME with Windows' validation,
   GetLocaleInfoW's values and buffer protocol, and GetDateFormatW /
   GetTimeFormatW: Windows' texts for en-US and de-DE, the flags, the size
   protocol and the errors. */
#include <gtest/gtest.h>
#include <qel/win32.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/CaseFile.h"
#include "support/Platform.h"
#include "support/WideText.h"

namespace {

using qel::test::WString;

uint64_t ticks(const FILETIME& ft) { return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

TEST(SystemTime, FileTimesOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("platform/file_times.txt")) {
    if (qel::test::underWine() && c.size() > 3) continue;
    const SYSTEMTIME st = qel::test::systemTimeOf(c[0]);
    FILETIME ft{1, 2};
    SetLastError(0);
    const BOOL converted = SystemTimeToFileTime(&st, &ft);
    EXPECT_EQ(converted ? std::to_string(ticks(ft)) : "- " + std::to_string(GetLastError()),
              c[1] == "-" ? "- 87" : c[1])
        << c.where;
    SYSTEMTIME back{};
    if (!converted || !FileTimeToSystemTime(&ft, &back)) continue;
    EXPECT_EQ(back.wDayOfWeek, std::stoi(c[2])) << c.where;
    back.wDayOfWeek = 0;
    EXPECT_EQ(std::memcmp(&back, &st, sizeof back), 0) << c.where;
  }
  const SYSTEMTIME anyWeekday{2024, 2, 6, 29, 0, 0, 0, 0};  // the day of week is not read
  FILETIME ft{};
  EXPECT_TRUE(SystemTimeToFileTime(&anyWeekday, &ft));

  FILETIME tooLarge{0, 0x80000000u};
  SYSTEMTIME st{};
  SetLastError(0);
  EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &st));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(SystemTime, ClockAndLocalConversion) {
  FILETIME utc{}, local{}, back{};
  GetSystemTimeAsFileTime(&utc);
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
  EXPECT_EQ(ticks(back), ticks(utc));
  SYSTEMTIME fromLocal{}, now{};
  ASSERT_TRUE(FileTimeToSystemTime(&local, &fromLocal));
  GetLocalTime(&now);
  FILETIME nowFt{};
  ASSERT_TRUE(SystemTimeToFileTime(&now, &nowFt));
  EXPECT_LT(std::llabs(int64_t(ticks(nowFt)) - int64_t(ticks(local))), 50000000);  // within 5 s
  SYSTEMTIME sys{};
  GetSystemTime(&sys);
  EXPECT_GE(sys.wYear, 2024);
}

WString localeText(LCID lcid, LCTYPE item) {
  WCHAR buffer[128];
  int n = GetLocaleInfoW(lcid, item, buffer, 128);
  return n > 0 ? WString(buffer, size_t(n - 1)) : QEL_W("<fail>");
}

TEST(LocaleInfo, WindowsValuesForBothLocales) {
  // The items the formatters do not show: names and pictures come out of
  // the date formatter's own tests.
  struct Case {
    LCTYPE item;
    WString en, de;
  };
  const Case cases[] = {
      {LOCALE_IFIRSTWEEKOFYEAR, QEL_W("0"), QEL_W("2")},
      {LOCALE_IFIRSTDAYOFWEEK, QEL_W("6"), QEL_W("0")},
      {LOCALE_SDECIMAL, QEL_W("."), QEL_W(",")},
      {LOCALE_STHOUSAND, QEL_W(","), QEL_W(".")},
      {LOCALE_SNAME, QEL_W("en-US"), QEL_W("de-DE")},
      {LOCALE_IFIRSTWEEKOFYEAR | LOCALE_NOUSEROVERRIDE, QEL_W("0"), QEL_W("2")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(localeText(1033, c.item), c.en) << std::hex << c.item;
    EXPECT_EQ(localeText(1031, c.item), c.de) << std::hex << c.item;
  }
}

TEST(LocaleInfo, BufferProtocolAndErrors) {
  EXPECT_EQ(GetLocaleInfoW(1031, LOCALE_SDAYNAME3, nullptr, 0), 9);  // "Mittwoch" and its terminator
  WCHAR small[8];
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoW(1031, LOCALE_SDAYNAME3, small, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  WCHAR exact[9];
  EXPECT_EQ(GetLocaleInfoW(1031, LOCALE_SDAYNAME3, exact, 9), 9);
  EXPECT_EQ(WString(exact), QEL_W("Mittwoch"));

  if (!qel::test::onWindows()) {  // French is not in our layer's table
    SetLastError(0);
    EXPECT_EQ(GetLocaleInfoW(1036, LOCALE_SDAYNAME1, exact, 9), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoW(1033, 0x7777, exact, 9), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));

  DWORD number = 0;
  EXPECT_EQ(GetLocaleInfoW(1031, LOCALE_IFIRSTWEEKOFYEAR | LOCALE_RETURN_NUMBER,
                           reinterpret_cast<LPWSTR>(&number), sizeof number / sizeof(WCHAR)),
            2);
  EXPECT_EQ(number, 2u);
  EXPECT_EQ(
      GetLocaleInfoW(1033, LOCALE_ILANGUAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&number), 2), 2);
  EXPECT_EQ(number, 0x409u);
  SetLastError(0);
  EXPECT_EQ(
      GetLocaleInfoW(1033, LOCALE_SDAYNAME1 | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&number), 2), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));

  // The default locales are the environment's (en-US unless set otherwise).
  EXPECT_EQ(localeText(LOCALE_SYSTEM_DEFAULT, LOCALE_SNAME),
            localeText(GetSystemDefaultLCID(), LOCALE_SNAME));
  EXPECT_EQ(localeText(LOCALE_USER_DEFAULT, LOCALE_SNAME), localeText(GetUserDefaultLCID(), LOCALE_SNAME));
}

const SYSTEMTIME kSunday{2026, 12, 3 /* wrong on purpose */, 6, 17, 5, 9, 250};

using Formatter = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

WString formatted(Formatter f, LCID lcid, DWORD flags, const SYSTEMTIME& st, const WCHAR* picture) {
  WCHAR buffer[200];
  SetLastError(0);
  int n = f(lcid, flags, &st, picture, buffer, 200);
  return n > 0 ? WString(buffer, size_t(n - 1))
               : qel::test::wprintf(QEL_W("<fail %u>"), unsigned(GetLastError()));
}

DWORD flagsOf(const std::string& names) {
  static const std::pair<const char*, DWORD> kFlags[] = {{"DATE_SHORTDATE", DATE_SHORTDATE},
                                                         {"DATE_LONGDATE", DATE_LONGDATE},
                                                         {"DATE_YEARMONTH", DATE_YEARMONTH},
                                                         {"LOCALE_NOUSEROVERRIDE", LOCALE_NOUSEROVERRIDE},
                                                         {"TIME_NOMINUTESORSECONDS", TIME_NOMINUTESORSECONDS},
                                                         {"TIME_NOSECONDS", TIME_NOSECONDS},
                                                         {"TIME_NOTIMEMARKER", TIME_NOTIMEMARKER},
                                                         {"TIME_FORCE24HOURFORMAT", TIME_FORCE24HOURFORMAT}};
  DWORD flags = names.rfind("0x", 0) == 0 ? DWORD(std::stoul(names, nullptr, 16)) : 0;
  for (const auto& [name, value] : kFlags)
    if (names.find(name) != std::string::npos) flags |= value;
  return flags;
}

TEST(DateTimeFormat, CasesOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("platform/date_formats.txt")) {
    SYSTEMTIME st = qel::test::systemTimeOf(c[3]);
    st.wDayOfWeek = 3;  // wrong on purpose
    const WString picture = qel::test::unescape(c[4]);
    const WString text = formatted(c[0] == "Date" ? GetDateFormatW : GetTimeFormatW, LCID(std::stoul(c[1])),
                                   flagsOf(c[2]), st, c[4] == "-" ? nullptr : picture.c_str());
    const bool wine = qel::test::underWine() && c.size() > 6;
    if (wine && c[6] == "-") continue;
    EXPECT_EQ(qel::test::narrow(text), qel::test::narrow(qel::test::unescape(c[wine ? 6 : 5]))) << c.where;
  }
}

TEST(DateFormat, SizeProtocolAndErrors) {
  EXPECT_EQ(GetDateFormatW(1031, DATE_LONGDATE, &kSunday, nullptr, nullptr, 0), 26);
  WCHAR small[25];
  SetLastError(0);
  EXPECT_EQ(GetDateFormatW(1031, DATE_LONGDATE, &kSunday, nullptr, small, 25), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  WCHAR exact[26];
  EXPECT_EQ(GetDateFormatW(1031, DATE_LONGDATE, &kSunday, nullptr, exact, 26), 26);
  EXPECT_EQ(GetTimeFormatW(1033, 0, &kSunday, nullptr, nullptr, 0), 11);

  // A null time is now.
  EXPECT_GT(GetDateFormatW(1033, 0, nullptr, QEL_W("yyyy"), exact, 26), 0);
}

}  // namespace
