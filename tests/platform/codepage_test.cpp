// Code-page conversion with Windows' size protocol and replacement rules.
#include <gtest/gtest.h>
#include <qel/win32.h>

#include <string>

#include "support/Platform.h"

TEST(CodePage, AnsiRoundTripAndReplacement) {
  WCHAR wide[16];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80\xE4\x81z", 4, wide, 16), 4);
  EXPECT_EQ(std::basic_string<WCHAR>(wide, 4), QEL_W("\u20AC\u00E4\u0081z"));

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
  EXPECT_EQ(std::basic_string<WCHAR>(wide), QEL_W("a\u00FC\U0001F600"));

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
