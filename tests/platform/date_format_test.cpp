/* GetDateFormatW / GetTimeFormatW: Windows' texts for en-US and de-DE, the
   flags, the size protocol and the errors. */
#include <gtest/gtest.h>
#include <qel/win32.h>

#include <string>

#include "support/Platform.h"

namespace {

const SYSTEMTIME kSunday{2026, 12, 3 /* wrong on purpose */, 6, 17, 5, 9, 250};
const SYSTEMTIME kMorning{2024, 2, 0, 29, 0, 7, 3, 0};

using Formatter = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

std::basic_string<WCHAR> formatted(Formatter f, LCID lcid, DWORD flags, const SYSTEMTIME& st,
                                   const WCHAR* picture) {
  WCHAR buffer[200];
  int n = f(lcid, flags, &st, picture, buffer, 200);
  return n > 0 ? std::basic_string<WCHAR>(buffer, size_t(n - 1)) : QEL_W("<fail>");
}

std::basic_string<WCHAR> dateText(LCID lcid, DWORD flags, const SYSTEMTIME& st, const WCHAR* picture) {
  return formatted(GetDateFormatW, lcid, flags, st, picture);
}

std::basic_string<WCHAR> timeText(LCID lcid, DWORD flags, const SYSTEMTIME& st, const WCHAR* picture) {
  return formatted(GetTimeFormatW, lcid, flags, st, picture);
}

TEST(DateFormat, LocaleDefaultsAndPictures) {
  struct Case {
    LCID lcid;
    DWORD flags;
    SYSTEMTIME st;
    const WCHAR* picture;
    std::basic_string<WCHAR> expected;
    bool wineDiffers = false;  // Wine's locale data and picture rules are CLDR's, not Windows'
  };
  // clang-format off
  const Case cases[] = {
      {1031, DATE_LONGDATE, kSunday, nullptr, QEL_W("Sonntag, 6. Dezember 2026")},
      {1033, DATE_LONGDATE, kSunday, nullptr, QEL_W("Sunday, December 6, 2026")},
      {1031, 0, kSunday, nullptr, QEL_W("06.12.2026"), true}, {1033, DATE_SHORTDATE, kSunday, nullptr, QEL_W("12/6/2026")},
      {1033, LOCALE_NOUSEROVERRIDE, kMorning, nullptr, QEL_W("2/29/2024")},
      {1031, DATE_YEARMONTH, kMorning, nullptr, QEL_W("Februar 2024")},
      {1033, 0, kSunday, QEL_W("d dd ddd dddd"), QEL_W("6 06 Sun Sunday")},
      {1031, 0, kSunday, QEL_W("d dd ddd dddd"), QEL_W("6 06 So Sonntag"), true},
      {1033, 0, kMorning, QEL_W("M MM MMM MMMM"), QEL_W("2 02 Feb February")},
      {1031, 0, SYSTEMTIME{2023, 3, 0, 1, 0, 0, 0, 0}, QEL_W("MMM MMMM"), QEL_W("M\u00E4r M\u00E4rz")},
      {1033, 0, SYSTEMTIME{2005, 1, 0, 1, 0, 0, 0, 0}, QEL_W("y yy yyyy"), QEL_W("5 05 2005"), true},
      {1033, 0, kSunday, QEL_W("gg g"), QEL_W("A.D. A.D."), true}, {1031, 0, kSunday, QEL_W("gg"), QEL_W("n. Chr."), true},
      {1033, 0, kSunday, QEL_W("'day' d 'of' MMMM"), QEL_W("day 6 of December")},
      {1033, 0, kSunday, QEL_W("d''M 'it''s'"), QEL_W("6'12 it's"), true},
      {1033, 0, kSunday, QEL_W("hh:mm d"), QEL_W("hh:mm 6")},  // time letters are text here
      {1033, 0, kSunday, QEL_W(""), QEL_W("")},
      {1033, 0, kSunday, QEL_W("dddddd"), QEL_W("Sunday")},
  };
  // clang-format on
  for (const Case& c : cases) {
    if (!(c.wineDiffers && qel::test::underWine())) {
      EXPECT_EQ(dateText(c.lcid, c.flags, c.st, c.picture), c.expected);
    }
  }
}

TEST(TimeFormat, PicturesAndFlags) {
  struct Case {
    LCID lcid;
    DWORD flags;
    SYSTEMTIME st;
    const WCHAR* picture;
    std::basic_string<WCHAR> expected;
  };
  // clang-format off
  const Case cases[] = {
      {1033, 0, kSunday, nullptr, QEL_W("5:05:09 PM")},
      {1031, LOCALE_NOUSEROVERRIDE, kSunday, nullptr, QEL_W("17:05:09")},
      {1033, 0, kMorning, nullptr, QEL_W("12:07:03 AM")},
      {1033, 0, kSunday, QEL_W("h hh H HH m mm s ss t tt"), QEL_W("5 05 17 17 5 05 9 09 P PM")},
      {1031, 0, kSunday, QEL_W("h:mm tt"), qel::test::underWine() ? QEL_W("5:05 PM") : QEL_W("5:05 ")},  // CLDR's German has AM/PM {1033, TIME_NOSECONDS, kSunday, nullptr, QEL_W("5:05 PM")},
      {1033, TIME_NOMINUTESORSECONDS, kSunday, nullptr, QEL_W("5 PM")},
      {1033, TIME_NOTIMEMARKER, kSunday, nullptr, QEL_W("5:05:09")},
      {1033, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, kSunday, nullptr, QEL_W("17:05:09")},
      {1033, 0, kSunday, QEL_W("HH 'Uhr' dd"), QEL_W("17 Uhr dd")},  // date letters are text here
      {1033, 0, SYSTEMTIME{2026, 1, 0, 1, 12, 0, 0, 0}, QEL_W("h tt"), QEL_W("12 PM")},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(timeText(c.lcid, c.flags, c.st, c.picture), c.expected);
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

  const SYSTEMTIME badDate{2023, 2, 0, 29, 0, 0, 0, 0};
  const SYSTEMTIME badTime{2023, 1, 0, 1, 24, 0, 0, 0};
  struct Failure {
    int result;
    DWORD error;
  };
  auto failure = [](int result) { return Failure{result, GetLastError()}; };
  // Wine formats 29 February of a common year and takes unknown time flags;
  // French is not in our layer's table, where Windows has it.
  const bool wine = qel::test::underWine(), windows = qel::test::onWindows();
  struct Row {
    Failure got;
    DWORD error;
    bool checked;
  };
  // clang-format off
  const Row failures[] = {
      {failure(GetDateFormatW(1033, 0, &badDate, nullptr, exact, 26)), ERROR_INVALID_PARAMETER, !wine},
      {failure(GetTimeFormatW(1033, 0, &badTime, nullptr, exact, 26)), ERROR_INVALID_PARAMETER, true},
      {failure(GetDateFormatW(1036, 0, &kSunday, nullptr, exact, 26)), ERROR_INVALID_PARAMETER, !windows},
      {failure(GetDateFormatW(1033, DATE_LONGDATE, &kSunday, QEL_W("d"), exact, 26)), ERROR_INVALID_FLAGS, true},
      {failure(GetDateFormatW(1033, DATE_LONGDATE | DATE_SHORTDATE, &kSunday, nullptr, exact, 26)),
       ERROR_INVALID_FLAGS, true},
      {failure(GetTimeFormatW(1033, 0x100, &kSunday, nullptr, exact, 26)), ERROR_INVALID_FLAGS, !wine},
  };
  // clang-format on
  for (const Row& row : failures) {
    if (!row.checked) continue;
    EXPECT_EQ(row.got.result, 0) << &row - failures;
    EXPECT_EQ(row.got.error, row.error) << &row - failures;
  }
  // The date formatter reads no time field, the time formatter no date field.
  EXPECT_EQ(dateText(1033, 0, badTime, QEL_W("d")), QEL_W("1"));
  EXPECT_EQ(timeText(1033, 0, badDate, QEL_W("H")), QEL_W("0"));
  // A null time is now.
  EXPECT_GT(GetDateFormatW(1033, 0, nullptr, QEL_W("yyyy"), exact, 26), 0);
}

}  // namespace
