/* Picture formatting and the readers, with exact outputs for the user's
   locale (the suite runs once with en-US and once with de-DE). */
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "format/NumberFormat.h"
#include "support/WideText.h"

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

TEST(PictureFormat, PictureValueAndLocaleTable) {
  const WCHAR* ll = LLDblFormat;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    const WCHAR* set;
    const WCHAR* picture;
    double value;
    const WCHAR* english;
    const WCHAR* german;  // null: as in English
  };
  // clang-format off
  const Row rows[] = {
      {nullptr, u"#,###.##", 1234.5, u"1,234.5 ", u"1.234,5 "},
      {nullptr, u"#,###.##", -1234.5, u"1,234.5 ", u"1.234,5 "},  // no place for the sign
      {nullptr, u"###", 5, u"  5", nullptr},
      {nullptr, u"###", -5, u" -5", nullptr},
      {nullptr, u"###.##", 0.5, u"  0.5 ", u"  0,5 "},
      {nullptr, u"###.##", -0.5, u" -0.5 ", u" -0,5 "},
      {nullptr, u"###.##", 0.05, u"  0.05", u"  0,05"},
      {nullptr, u"<<<.##", 0.5, u"0.5 ", u"0,5 "},
      {nullptr, u"$$$$", 42, u"0042", nullptr},
      {nullptr, u"****", 42, u"**42", nullptr},
      {nullptr, u"+###", 42, u" +42", nullptr},
      {nullptr, u"+###", -42, u" -42", nullptr},
      {nullptr, u"###-", 42, u" 42 ", nullptr},
      {nullptr, u"###-", -42, u" 42-", nullptr},
      {ll, u"$$$$", 42, u"$$42", nullptr},
      {ll, u"&&&&", 42, u"0042", nullptr},
      {ll, u"$$$,$$$.&&", 1234.5, u"$$1,234.50", u"$$1.234,50"},
      {nullptr, u"###", 12345, u"345", nullptr},  // leading digits lost
      {nullptr, u"##.##", 123.456, u"23.46", u"23,46"},
      {nullptr, u"###", 1e20, u"000", nullptr},
      {nullptr, u"<<<<", 7, u"7", nullptr},
      {nullptr, u"<<<<", -7, u"7", nullptr},
      {nullptr, u"##.$$", 3.14159, u" 3.14", u" 3,14"},
      {nullptr, u"#,###", 1234567, u"4,567", u"4.567"},
      {nullptr, u"#,###", 12, u"   12", nullptr},
      {nullptr, u"#,###", -12, u"  -12", nullptr},  // a separator before the digits is a sign place
      {nullptr, u"#,###.##", 0, u"    0.0 ", u"    0,0 "},
      {nullptr, u"###.##", -0.001, u" -0.0 ", u" -0,0 "},
      {nullptr, u"EUR ###", -5, u"EUR  -5", nullptr},
      {nullptr, u"-##########", -2147483648.0, u"-2147483648", nullptr},
      // Rounding: half away from zero, carries through the integer digits.
      {nullptr, u"#", 2.5, u"3", nullptr},
      {nullptr, u"###", -2.5, u" -3", nullptr},
      {nullptr, u"###", 0.4, u"  0", nullptr},
      {nullptr, u"#.##", 0.125, u"0.13", u"0,13"},
      {nullptr, u"#.##", 1.005, u"1.0 ", u"1,0 "},  // 1.005 is 1.00499999... in binary
      {nullptr, u"#.##", 0.995, u"0.99", u"0,99"},  // 0.99499999... in binary
      {nullptr, u"#.##", 0.996, u"1.0 ", u"1,0 "},
      {nullptr, u"$$$.$$", 999.995, u"000.00", u"000,00"},  // the carry overflows the picture
      // Degenerate pictures.
      {nullptr, u"", 5, u"", nullptr},
      {nullptr, u"abc", 5, u"abc", nullptr},
      {nullptr, u".", 5, u".", u","},
      {nullptr, u"-", -5, u"-", nullptr},
      {nullptr, u"+", 5, u"+", nullptr},
      {nullptr, u",", -5, u"-", nullptr},
      {nullptr, u"###", nan, u"  0", nullptr},
      {nullptr, u"###", -inf, u" -0", nullptr},
  };
  // clang-format on
  for (const Row& row : rows) {
    const WCHAR* expected = german() && row.german ? row.german : row.english;
    EXPECT_EQ(formatDouble(row.set, row.picture, row.value), expected)
        << qel::test::narrow(row.picture) << " with " << row.value;
  }
}

TEST(PictureFormat, IntegersFlagAndBounds) {
  WCHAR out[16];
  const WCHAR* picture = u"##########";
  ASSERT_EQ(FMFormatUInt(nullptr, picture, 10, 4294967295u, out, nullptr), 10);
  EXPECT_EQ(WString(out, 10), u"4294967295");
  ASSERT_EQ(FMFormatInt(nullptr, picture, 10, -2147483647 - 1, out, nullptr), 10);
  EXPECT_EQ(WString(out, 10), u"2147483648");  // no sign place
  ASSERT_EQ(FMFormatInt(LLDblFormat, u"&&&", 3, 7, out, nullptr), 3);
  EXPECT_EQ(WString(out, 3), u"007");

  BOOL flag = 7;
  EXPECT_EQ(FMFormatDouble(nullptr, u"##.#", 4, 1.25, out, &flag), 4);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(FMFormatDouble(nullptr, u"###", 0, 5, out, nullptr), 0);
  EXPECT_EQ(FMFormatDouble(nullptr, u"###", -3, 5, out, nullptr), 0);
  EXPECT_EQ(FMFormatDouble(nullptr, nullptr, 3, 5, out, nullptr), 0);

  // A long fraction: digits beyond the double's own are zeros, never garbage.
  const WString longPicture = u"#." + WString(2000, u'$');
  const WString text = formatDouble(nullptr, longPicture, 0.5);
  EXPECT_EQ(text.size(), longPicture.size());
  EXPECT_EQ(text.substr(2), u"5" + WString(1999, u'0'));
  EXPECT_EQ(formatDouble(nullptr, u"#." + WString(60, u'$'), 0.1).substr(2, 57),
            u"100000000000000005551115123125782702118158340454101562500");
}

TEST(PictureFormat, TextByKindOfPicture) {
  EXPECT_EQ(formatStr(u"/    /", u"abc"), u"abc   ");
  EXPECT_EQ(formatStr(u"/    /", u"abcdefgh"), u"abcdef");
  EXPECT_EQ(formatStr(u"/    /", nullptr), u"      ");
  EXPECT_EQ(formatStr(u"&", u"xyz"), u"x");
  EXPECT_EQ(formatStr(u"^", u"the whole text"), u"the whole text");
  EXPECT_EQ(formatStr(u"#,###.##", u"1234.5"), german() ? u"1.234,5 " : u"1,234.5 ");
  EXPECT_EQ(formatStr(u"-###", u"12"), u"  12");
  EXPECT_EQ(formatStr(u"%d", u"12"), u"");
  EXPECT_EQ(formatStr(u"<<<", u"12"), u"");
  EXPECT_EQ(formatStr(u"", u"12"), u"");

  WCHAR out[4] = {u'~', u'~', u'~', u'~'};
  EXPECT_EQ(FMFormatStr(u"&", 1, u"", out), 1);  // only the terminator
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(FMFormatStr(u"/ /", 0, u"abc", out), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(FMFormatStr(u"^", 0, u"abc", out), 0);  // no first character to look at
  EXPECT_EQ(FMFormatStr(u"^", 1, u"abc", nullptr), 0);
}

TEST(NumberText, Readers) {
  // clang-format off
  const struct { const WCHAR* text; double real; LONG integer; ULONG natural; } rows[] = {
      {u"1,234.50", 1234.5, 123450, 123450},
      {u"1.234,5", 1234.5, 12345, 12345},
      {u"1,234", 1.234, 1234, 1234},
      {u"-12.5", -12.5, -125, 125},
      {u"$ 12", 12.0, 12, 12},
      {u"-1,234", -1.234, -1234, 1234},
      {u"-5", -5.0, -5, 5},
      {u"12.50", 12.5, 1250, 1250},
      {u"- 3 +", 3.0, 3, 3},  // the last sign holds
      {u"", 0.0, 0, 0},
      {u"abc", 0.0, 0, 0},
      {u"4294967296", 4294967296.0, 0, 0},  // the integers wrap at 32 bits
      {u"0.0000000000000000001", 1e-19, 1, 1},
      {u"1.00000000000000000000000", 1.0, -159383552, 4135583744u},  // beyond the table of powers; 10^23 wrapped
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
  EXPECT_EQ(FMToLong(u"2147483648"), -2147483647 - 1);
}

}  // namespace
