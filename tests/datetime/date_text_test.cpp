/* TDToString's size protocol and parts, TDFromString's acceptance and
   failure rules, and round trips in the system default locale (the suite
   also runs with QELBASE_LOCALE=de-DE). */
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "datetime/DateTime.h"

namespace {

using WString = std::basic_string<WCHAR>;

SYSTEMTIME at(int y, int m, int d, int h = 0, int mi = 0, int s = 0, int ms = 0, int dow = 0) {
  return SYSTEMTIME{WORD(y), WORD(m), WORD(dow), WORD(d), WORD(h), WORD(mi), WORD(s), WORD(ms)};
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
