/* INI files: Windows' rules for sections, keys, lists and their truncation. */
#include <gtest/gtest.h>
#include <qel/win32.h>

#include <string>

#include "support/Files.h"
#include "support/WideText.h"

namespace {

using WString = std::basic_string<WCHAR>;

class Profile : public qel::test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    file_ = qel::test::widen(path("a.ini"));
  }
  std::string bytes() const { return qel::test::readFile(path("a.ini")); }
  void put(const std::string& content) const { qel::test::writeFile(path("a.ini"), content); }
  // A list (the section names, or the named section's lines) as one text
  // with '|' for each zero, then "/" and the length reported.
  WString listed(const WCHAR* name, DWORD size) const {
    WString buffer(size + 2, u'#');
    const DWORD length = name ? GetPrivateProfileSectionW(name, buffer.data(), size, file_.c_str())
                              : GetPrivateProfileSectionNamesW(buffer.data(), size, file_.c_str());
    buffer.resize(size);
    for (auto& c : buffer) c = c ? c : u'|';
    return buffer + QEL_W("/") + qel::test::widen(std::to_string(length));
  }
  WString file_;
};

TEST_F(Profile, WritingCreatesReplacesAndDeletes) {
  EXPECT_EQ(listed(nullptr, 8), QEL_W("||######/0"));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("One"), QEL_W("a"), QEL_W("1"), file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("One"), QEL_W("b"), QEL_W("x = y"), file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("Two"), QEL_W("k"), QEL_W("v"), file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("ONE"), QEL_W("A"), QEL_W("2"),
                                         file_.c_str()));  // names without regard to case
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("one"), QEL_W("c"), QEL_W("3"), file_.c_str()));
  EXPECT_EQ(bytes(), "[One]\r\nA=2\r\nb=x = y\r\nc=3\r\n\r\n[Two]\r\nk=v\r\n");
  EXPECT_EQ(listed(nullptr, 16), QEL_W("One|Two||#######/8"));
  EXPECT_EQ(listed(QEL_W("oNe"), 20), QEL_W("A=2|b=x = y|c=3||###/16"));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("One"), QEL_W("b"), nullptr, file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("One"), QEL_W("zz"), nullptr,
                                         file_.c_str()));  // missing: nothing to do
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("Two"), nullptr, nullptr, file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("None"), nullptr, nullptr, file_.c_str()));
  EXPECT_EQ(bytes(), "[One]\r\nA=2\r\nc=3\r\n\r\n");
  // Characters outside the ANSI code page are written as '?'.
  ASSERT_TRUE(
      WritePrivateProfileStringW(QEL_W("One"), QEL_W("\u00e4"), QEL_W("\u20ac\u4e2d"), file_.c_str()));
  EXPECT_EQ(bytes(), "[One]\r\nA=2\r\nc=3\r\n\xE4=\x80?\r\n\r\n");

  SetLastError(0);
  EXPECT_FALSE(
      WritePrivateProfileStringW(QEL_W("S"), QEL_W("k"), QEL_W("v"), (file_ + QEL_W("/no/such")).c_str()));
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_FALSE(WritePrivateProfileStringW(nullptr, QEL_W("k"), QEL_W("v"), file_.c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(Profile, ReadingSkipsCommentsTrimsBlanksAndTruncates) {
  put("; head\r\nloose=1\r\n[ First ]\n  key  =  value  \n; comment\n\nbare "
      "line\r[Second]\r\nx=1\r\n[first]\ny=2");
  EXPECT_EQ(listed(nullptr, 20), QEL_W("First|Second||######/13"));
  EXPECT_EQ(listed(QEL_W("FIRST"), 40), QEL_W("key=value|bare line|y=2||###############/24"));
  // Too small: cut, two zeros at the end, nSize - 2 reported.
  EXPECT_EQ(listed(nullptr, 9), QEL_W("First|S||/7"));
  EXPECT_EQ(listed(QEL_W("First"), 6), QEL_W("key=||/4"));
  EXPECT_EQ(listed(nullptr, 1), QEL_W("|/0"));
  EXPECT_EQ(listed(nullptr, 0), QEL_W("/0"));
  EXPECT_EQ(listed(QEL_W("missing"), 4), QEL_W("||##/0"));
}

TEST_F(Profile, Utf16FilesStayUtf16) {
  put(std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\x2d\x4e\r\0\n\0", 22));
  EXPECT_EQ(listed(QEL_W("s"), 8), QEL_W("k=\u4e2d||###/4"));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("S"), QEL_W("m"), QEL_W("\u20ac"), file_.c_str()));
  EXPECT_EQ(bytes(),
            std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\x2d\x4e\r\0\n\0m\0=\0\xAC\x20\r\0\n\0", 32));
}

}  // namespace
