// The runtime's wide text as the Microsoft runtime gives it: the printf
// engine (wide %s/%c, narrow %S/%hs, 32-bit "l", %I64, %p width, the runtime
// locale's decimal point), classification and case mapping, and code-page
// conversion with Windows' size protocol and replacement rules.
#include <gtest/gtest.h>
#include <qel/wcrt.h>
#include <qel/win32.h>

#include <climits>
#include <string>

#include "support/Platform.h"
#include "support/WideText.h"

using qel::test::WString;
// Not named wprintf here: on Windows ::wprintf is the runtime's.
WString (*const printed)(const WCHAR*, ...) = qel::test::wprintf;

// The Universal CRT's rules; msvcrt.dll (MinGW's default runtime) writes three
// exponent digits, rounds ties away from zero, prints infinity as "1.#INF",
// knows no "hh" and no locale names such as "de-DE".
class WidePrintf : public ::testing::Test {
 protected:
  void SetUp() override {
    if (qel::test::onMsvcrt()) GTEST_SKIP() << "msvcrt.dll is not the Universal CRT";
  }
};

TEST_F(WidePrintf, IntegerConversions) {
  EXPECT_EQ(printed(QEL_W("%d|%i|%u"), -42, 7, 4000000000u), QEL_W("-42|7|4000000000"));
  EXPECT_EQ(printed(QEL_W("%5d|%-5d|%05d|%+d|% d"), 42, 42, -42, 42, 42), QEL_W("   42|42   |-0042|+42| 42"));
  EXPECT_EQ(printed(QEL_W("%x|%X|%#x|%#X|%o|%#o"), 255, 255, 255, 255, 8, 8),
            QEL_W("ff|FF|0xff|0XFF|10|010"));
  EXPECT_EQ(printed(QEL_W("%08lX"), 0x2Au), QEL_W("0000002A"));
  EXPECT_EQ(printed(QEL_W("%ld|%lu"), LONG(-1), ULONG(0xFFFFFFFFu)), QEL_W("-1|4294967295"));
  EXPECT_EQ(printed(QEL_W("%I64d|%lld|%I64X"), LONGLONG(-9223372036854775807LL - 1), 1234567890123LL,
                    ULONGLONG(0xFFFFFFFFFFFFFFFFull)),
            QEL_W("-9223372036854775808|1234567890123|FFFFFFFFFFFFFFFF"));
  EXPECT_EQ(printed(QEL_W("%I32d|%hd|%hhu"), INT_MIN, 70000, 300), QEL_W("-2147483648|4464|44"));
  EXPECT_EQ(printed(QEL_W("%.3d|%.0d|%5.3d"), 7, 0, -7), QEL_W("007|| -007"));
  EXPECT_EQ(printed(QEL_W("%*d|%-*d|%.*d"), 4, 1, 4, 2, 3, 3), QEL_W("   1|2   |003"));
  EXPECT_EQ(printed(QEL_W("%p"), reinterpret_cast<void*>(0xABCDEF)),
            sizeof(void*) == 8 ? QEL_W("0000000000ABCDEF") : QEL_W("00ABCDEF"));
}

TEST_F(WidePrintf, FloatingConversions) {
  EXPECT_EQ(printed(QEL_W("%f|%.2f|%.0f|%#.0f"), 3.14159, 2.675, 2.5, 2.0), QEL_W("3.141590|2.67|2|2."));
  EXPECT_EQ(printed(QEL_W("%lf|%10.3f|%-10.1f|%+.1f"), 1.5, -1.5, 1.25, 0.0),
            QEL_W("1.500000|    -1.500|1.2       |+0.0"));
  EXPECT_EQ(printed(QEL_W("%e|%E|%.2e"), 12345.678, 0.000123, 0.0),
            QEL_W("1.234568e+04|1.230000E-04|0.00e+00"));
  EXPECT_EQ(printed(QEL_W("%g|%g|%g|%g|%G"), 100000.0, 1000000.0, 0.0001, 0.00001, 1e-10),
            QEL_W("100000|1e+06|0.0001|1e-05|1E-10"));
  EXPECT_EQ(printed(QEL_W("%g|%#g|%.3g"), 1.5, 1.5, 3.14159), QEL_W("1.5|1.50000|3.14"));
  EXPECT_EQ(printed(QEL_W("%010.2f|%f"), -3.5, -0.0), QEL_W("-000003.50|-0.000000"));
  EXPECT_EQ(printed(QEL_W("%f|%F|%5.1f"), 1.0 / 0.0, -1.0 / 0.0, 0.0 / 0.0).substr(0, 8), QEL_W("inf|-INF"));
  EXPECT_EQ(printed(QEL_W("%.*f"), 3, 1.0), QEL_W("1.000"));
}

TEST_F(WidePrintf, TextConversions) {
  EXPECT_EQ(printed(QEL_W("[%s][%ls][%ws]"), QEL_W("wide"), QEL_W("ls"), QEL_W("ws")),
            QEL_W("[wide][ls][ws]"));
  EXPECT_EQ(printed(QEL_W("[%S][%hs]"), "narrow", "hs"), QEL_W("[narrow][hs]"));
  EXPECT_EQ(printed(QEL_W("[%hs]"), "\xE4\x80"), QEL_W("[\u00E4\u20AC]"));  // code page 1252
  EXPECT_EQ(printed(QEL_W("[%c][%C][%hc][%lc]"), u'\u00FC', 'n', 'h', u'w'), QEL_W("[\u00FC][n][h][w]"));
  EXPECT_EQ(
      printed(QEL_W("[%6s][%-6s][%.2s][%6.2s]"), QEL_W("abc"), QEL_W("abc"), QEL_W("abc"), QEL_W("abc")),
      QEL_W("[   abc][abc   ][ab][    ab]"));
  EXPECT_EQ(
      printed(QEL_W("[%s][%hs]"), static_cast<const WCHAR*>(nullptr), static_cast<const char*>(nullptr)),
      QEL_W("[(null)][(null)]"));
  EXPECT_EQ(printed(QEL_W("100%% %y %")), QEL_W("100% %y %"));
}

TEST_F(WidePrintf, BufferProtocol) {
  WCHAR buf[8];
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(_snwprintf(buf, 8, QEL_W("%s"), QEL_W("1234567")), 7);
  EXPECT_EQ(WString(buf), QEL_W("1234567"));
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(_snwprintf(buf, 4, QEL_W("%s"), QEL_W("1234")), 4);  // exactly full: no terminator
  EXPECT_EQ(buf[4], u'#');
  EXPECT_EQ(_snwprintf(buf, 4, QEL_W("%s"), QEL_W("12345")), -1);
  EXPECT_EQ(WString(buf, 4), QEL_W("1234"));
  EXPECT_EQ(_scwprintf(QEL_W("%d-%s"), 12345, QEL_W("ab")), 8);
}

TEST_F(WidePrintf, DecimalPointFollowsRuntimeLocale) {
  ASSERT_NE(_wsetlocale(LC_NUMERIC, QEL_W("German")), nullptr);
  EXPECT_EQ(WString(_wsetlocale(LC_NUMERIC, nullptr)), QEL_W("German_Germany.1252"));
  EXPECT_EQ(printed(QEL_W("%.2f|%e"), 1.5, 1.5), QEL_W("1,50|1,500000e+00"));
  EXPECT_EQ(WString(_wsetlocale(LC_ALL, nullptr)),
            QEL_W("LC_COLLATE=C;LC_CTYPE=C;LC_MONETARY=C;LC_NUMERIC=German_Germany.1252;LC_TIME=C"));
  EXPECT_EQ(_wsetlocale(LC_ALL, QEL_W("Klingon")), nullptr);
  EXPECT_EQ(WString(_wsetlocale(LC_ALL, QEL_W("en-US"))), QEL_W("English_United States.1252"));
  EXPECT_EQ(printed(QEL_W("%.2f"), 1.5), QEL_W("1.50"));
  EXPECT_EQ(WString(_wsetlocale(LC_ALL, QEL_W("C"))), QEL_W("C"));
  EXPECT_EQ(printed(QEL_W("%.1f"), 0.25), QEL_W("0.2"));
}

namespace {

TEST(WideCtype, SpacesAreTheUnicodeSpaceSet) {
  for (WCHAR c : {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x20, 0x85, 0xA0, 0x1680, 0x2000, 0x200A, 0x2028, 0x2029,
                  0x202F, 0x205F, 0x3000})
    EXPECT_TRUE(iswspace(c) || (c == 0x85 && qel::test::onMsvcrt())) << int(c);  // msvcrt.dll: not NEL
  for (WCHAR c : {0x00, 0x08, 0x0E, 0x1A, 0x41, 0x200B, 0xFEFF, 0xD83D}) EXPECT_FALSE(iswspace(c)) << int(c);
}

TEST(WideCtype, CaseMappingFollowsTheRuntimeLocale) {
  struct Case {
    WCHAR lower, upperInC, upperInGerman;
  };
  // clang-format off
  const Case cases[] = {
      {u'a', u'A', u'A'}, {u'z', u'Z', u'Z'}, {u'1', u'1', u'1'}, {u'\u00E4', u'\u00E4', u'\u00C4'},
      {u'\u00FE', u'\u00FE', u'\u00DE'}, {u'\u00DF', u'\u00DF', u'\u00DF'}, {u'\u00F7', u'\u00F7', u'\u00F7'},
      {u'\u00FF', u'\u00FF', u'\u0178'}, {u'\u0101', u'\u0101', u'\u0100'}, {u'\u03B1', u'\u03B1', u'\u0391'},
      {u'\u03C2', u'\u03C2', u'\u03C2'}, {u'\u044F', u'\u044F', u'\u042F'}, {u'\u0451', u'\u0451', u'\u0401'},
  };
  // clang-format on
  ASSERT_NE(_wsetlocale(LC_ALL, QEL_W("C")), nullptr);
  for (const Case& c : cases) EXPECT_EQ(towupper(c.lower), c.upperInC) << int(c.lower);
  ASSERT_NE(_wsetlocale(LC_ALL, QEL_W("German")), nullptr);
  for (const Case& c : cases) {
    EXPECT_EQ(towupper(c.lower), c.upperInGerman) << int(c.lower);
    if (c.upperInGerman != c.lower) {
      EXPECT_EQ(towlower(c.upperInGerman), c.lower) << int(c.lower);
    }
  }
  EXPECT_EQ(towlower(u'\u00D7'), u'\u00D7');  // multiplication sign has no case
  _wsetlocale(LC_ALL, QEL_W("C"));
}

}  // namespace

TEST(CodePage, AnsiRoundTripAndReplacement) {
  WCHAR wide[16];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80\xE4\x81z", 4, wide, 16), 4);
  EXPECT_EQ(WString(wide, 4), QEL_W("\u20AC\u00E4\u0081z"));

  char narrow[16];
  BOOL usedDefault = FALSE;
  const WCHAR text[] = QEL_W("\u20AC\u0416\U0001F600x");  // euro, Cyrillic, a surrogate pair
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, 16, nullptr, &usedDefault);
  // The terminator is counted; Wine replaces each half of the pair.
  EXPECT_EQ(n, qel::test::underWine() ? 6 : 5);
  EXPECT_STREQ(narrow, qel::test::underWine() ? "\x80???x" : "\x80??x");
  EXPECT_TRUE(usedDefault);
}

TEST(CodePage, Utf8AndSizeProtocol) {
  const char* utf8 = "a\xC3\xBC\xF0\x9F\x98\x80";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0), 5);  // with terminator
  WCHAR wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 8), 5);
  EXPECT_EQ(WString(wide), QEL_W("a\u00FC\U0001F600"));

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 2), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));

  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xFFok", 3, wide, 8), 3);
  EXPECT_EQ(wide[0], u'\uFFFD');
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC0\x80", 2, wide, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));

  char out[8];
  const WCHAR lone[] = {u'x', 0xD800, 0};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 2, out, 8, nullptr, nullptr), 4);
  EXPECT_EQ(std::string(out, 4), "x\xEF\xBF\xBD");
  if (!qel::test::underWine()) {  // Wine ignores the default character UTF-8 must not have
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 2, out, 8, "?", nullptr), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
}
