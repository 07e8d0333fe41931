/* Picture formatting and the readers, with exact outputs for the user's
   locale (the suite runs once with en-US and once with de-DE). */
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "format/NumberFormat.h"
#include "support/CaseFile.h"

namespace {

using qel::test::WString;

bool german() { return GetUserDefaultLCID() == 1031; }

WString formatDouble(const WCHAR* set, const WString& picture, double value) {
  WString out(picture.size() + 1, u'~');
  LONG n = FMFormatDouble(set, picture.c_str(), LONG(picture.size()), value, out.data(), nullptr);
  EXPECT_EQ(out[picture.size()], u'~') << "wrote past the picture";
  out.resize(size_t(n));
  return out;
}

WString formatStr(const WString& picture, const WCHAR* value, size_t room = 64) {
  WString out(room, u'~');
  LONG n = FMFormatStr(picture.c_str(), LONG(picture.size()), value, out.data());
  EXPECT_EQ(out[size_t(n)], 0) << "not terminated";
  out.resize(size_t(n));
  return out;
}

TEST(PictureFormat, PicturesOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("format/pictures.txt")) {
    const WCHAR* set = c[2] == "LL" ? LLDblFormat : nullptr;
    const std::string& expected = german() && c[4] != "-" ? c[4] : c[3];
    const WString out = formatDouble(set, qel::test::unescape(c[1]), std::strtod(c[0].c_str(), nullptr));
    EXPECT_EQ("[" + qel::test::narrow(out) + "]", expected) << c.where;
  }
}

TEST(PictureFormat, IntegersFlagAndBounds) {
  WCHAR out[16];
  const WCHAR* picture = QEL_W("##########");
  ASSERT_EQ(FMFormatUInt(nullptr, picture, 10, 4294967295u, out, nullptr), 10);
  EXPECT_EQ(WString(out, 10), QEL_W("4294967295"));
  ASSERT_EQ(FMFormatInt(nullptr, picture, 10, -2147483647 - 1, out, nullptr), 10);
  EXPECT_EQ(WString(out, 10), QEL_W("2147483648"));  // no sign place
  ASSERT_EQ(FMFormatInt(LLDblFormat, QEL_W("&&&"), 3, 7, out, nullptr), 3);
  EXPECT_EQ(WString(out, 3), QEL_W("007"));

  BOOL flag = 7;
  EXPECT_EQ(FMFormatDouble(nullptr, QEL_W("##.#"), 4, 1.25, out, &flag), 4);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(FMFormatDouble(nullptr, QEL_W("###"), 0, 5, out, nullptr), 0);
  EXPECT_EQ(FMFormatDouble(nullptr, QEL_W("###"), -3, 5, out, nullptr), 0);
  EXPECT_EQ(FMFormatDouble(nullptr, nullptr, 3, 5, out, nullptr), 0);

  // A long fraction: digits beyond the double's own are zeros, never garbage.
  const WString longPicture = QEL_W("#.") + WString(2000, u'$');
  const WString text = formatDouble(nullptr, longPicture, 0.5);
  EXPECT_EQ(text.size(), longPicture.size());
  EXPECT_EQ(text.substr(2), QEL_W("5") + WString(1999, u'0'));
  EXPECT_EQ(formatDouble(nullptr, QEL_W("#.") + WString(60, u'$'), 0.1).substr(2, 57),
            QEL_W("100000000000000005551115123125782702118158340454101562500"));
}

TEST(PictureFormat, TextByKindOfPicture) {
  EXPECT_EQ(formatStr(QEL_W("/    /"), QEL_W("abc")), QEL_W("abc   "));
  EXPECT_EQ(formatStr(QEL_W("/    /"), QEL_W("abcdefgh")), QEL_W("abcdef"));
  EXPECT_EQ(formatStr(QEL_W("/    /"), nullptr), QEL_W("      "));
  EXPECT_EQ(formatStr(QEL_W("&"), QEL_W("xyz")), QEL_W("x"));
  EXPECT_EQ(formatStr(QEL_W("^"), QEL_W("the whole text")), QEL_W("the whole text"));
  EXPECT_EQ(formatStr(QEL_W("#,###.##"), QEL_W("1234.5")), german() ? QEL_W("1.234,5 ") : QEL_W("1,234.5 "));
  EXPECT_EQ(formatStr(QEL_W("-###"), QEL_W("12")), QEL_W("  12"));
  EXPECT_EQ(formatStr(QEL_W("%d"), QEL_W("12")), QEL_W(""));
  EXPECT_EQ(formatStr(QEL_W("<<<"), QEL_W("12")), QEL_W(""));
  EXPECT_EQ(formatStr(QEL_W(""), QEL_W("12")), QEL_W(""));

  WCHAR out[4] = {u'~', u'~', u'~', u'~'};
  EXPECT_EQ(FMFormatStr(QEL_W("&"), 1, QEL_W(""), out), 1);  // only the terminator
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(FMFormatStr(QEL_W("/ /"), 0, QEL_W("abc"), out), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(FMFormatStr(QEL_W("^"), 0, QEL_W("abc"), out), 0);  // no first character to look at
  EXPECT_EQ(FMFormatStr(QEL_W("^"), 1, QEL_W("abc"), nullptr), 0);
}

TEST(NumberText, Readers) {
  // clang-format off
  const struct { const WCHAR* text; double real; LONG integer; ULONG natural; } rows[] = {
      {QEL_W("1,234.50"), 1234.5, 123450, 123450},
      {QEL_W("1.234,5"), 1234.5, 12345, 12345},
      {QEL_W("1,234"), 1.234, 1234, 1234},
      {QEL_W("-12.5"), -12.5, -125, 125},
      {QEL_W("$ 12"), 12.0, 12, 12},
      {QEL_W("-1,234"), -1.234, -1234, 1234},
      {QEL_W("-5"), -5.0, -5, 5},
      {QEL_W("12.50"), 12.5, 1250, 1250},
      {QEL_W("- 3 +"), 3.0, 3, 3},  // the last sign holds
      {QEL_W(""), 0.0, 0, 0},
      {QEL_W("abc"), 0.0, 0, 0},
      {QEL_W("4294967296"), 4294967296.0, 0, 0},  // the integers wrap at 32 bits
      {QEL_W("0.0000000000000000001"), 1e-19, 1, 1},
      {QEL_W("1.00000000000000000000000"), 1.0, -159383552, 4135583744u},  // beyond the table of powers; 10^23 wrapped
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(qel::test::narrow(row.text));
    EXPECT_DOUBLE_EQ(FMToDouble(row.text), row.real);
    EXPECT_EQ(FMToLong(row.text), row.integer);
    EXPECT_EQ(FMToInt(row.text), row.integer);
    EXPECT_EQ(FMToUInt(row.text), row.natural);
    EXPECT_EQ(FMToULong(row.text), row.natural);
  }
  EXPECT_EQ(FMToDouble(nullptr), 0.0);
  EXPECT_EQ(FMToLong(nullptr), 0);
  EXPECT_EQ(FMToLong(QEL_W("2147483648")), -2147483647 - 1);
}

}  // namespace
