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
  // The list as one text with '|' for each zero, and the reported length.
  WString names(DWORD size, DWORD& length) const {
    WString buffer(size + 2, u'#');
    length = GetPrivateProfileSectionNamesW(buffer.data(), size, file_.c_str());
    return bar(buffer, size);
  }
  WString section(const WCHAR* name, DWORD size, DWORD& length) const {
    WString buffer(size + 2, u'#');
    length = GetPrivateProfileSectionW(name, buffer.data(), size, file_.c_str());
    return bar(buffer, size);
  }
  static WString bar(WString buffer, DWORD size) {
    buffer.resize(size);
    for (auto& c : buffer) c = c ? c : u'|';
    return buffer;
  }
  WString file_;
};

TEST_F(Profile, WritingCreatesReplacesAndDeletes) {
  DWORD n;
  EXPECT_EQ(names(8, n), QEL_W("||######"));  // no file: an empty list
  EXPECT_EQ(n, 0u);
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("One"), QEL_W("a"), QEL_W("1"), file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("One"), QEL_W("b"), QEL_W("x = y"), file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("Two"), QEL_W("k"), QEL_W("v"), file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("ONE"), QEL_W("A"), QEL_W("2"),
                                         file_.c_str()));  // names without regard to case
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("one"), QEL_W("c"), QEL_W("3"), file_.c_str()));
  EXPECT_EQ(bytes(), "[One]\r\nA=2\r\nb=x = y\r\nc=3\r\n\r\n[Two]\r\nk=v\r\n");
  EXPECT_EQ(names(16, n), QEL_W("One|Two||#######"));
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(section(QEL_W("oNe"), 20, n), QEL_W("A=2|b=x = y|c=3||###"));
  EXPECT_EQ(n, 16u);
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
  DWORD n;
  EXPECT_EQ(names(20, n), QEL_W("First|Second||######"));
  EXPECT_EQ(section(QEL_W("FIRST"), 40, n), QEL_W("key=value|bare line|y=2||###############"));
  EXPECT_EQ(n, 24u);
  // Too small: cut, two zeros at the end, nSize - 2 reported.
  EXPECT_EQ(names(9, n), QEL_W("First|S||"));
  EXPECT_EQ(n, 7u);
  EXPECT_EQ(section(QEL_W("First"), 6, n), QEL_W("key=||"));
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(names(1, n), QEL_W("|"));
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(names(0, n), QEL_W(""));
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(section(QEL_W("missing"), 4, n), QEL_W("||##"));
  EXPECT_EQ(n, 0u);
}

TEST_F(Profile, Utf16FilesStayUtf16) {
  put(std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\x2d\x4e\r\0\n\0", 22));
  DWORD n;
  EXPECT_EQ(section(QEL_W("s"), 8, n), QEL_W("k=\u4e2d||###"));
  ASSERT_TRUE(WritePrivateProfileStringW(QEL_W("S"), QEL_W("m"), QEL_W("\u20ac"), file_.c_str()));
  EXPECT_EQ(bytes(),
            std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\x2d\x4e\r\0\n\0m\0=\0\xAC\x20\r\0\n\0", 32));
}

}  // namespace
