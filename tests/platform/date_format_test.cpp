/* GetDateFormatW / GetTimeFormatW: Windows' texts for en-US and de-DE, the
   flags, the size protocol and the errors. */
#include <gtest/gtest.h>
#include <qel/win32.h>

#include <string>

#include "support/CaseFile.h"
#include "support/Platform.h"

namespace {

using qel::test::WString;

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
