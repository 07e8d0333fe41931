/* Wide classification and case mapping as the Microsoft runtime gives them. */
#include <gtest/gtest.h>
#include <qel/wcrt.h>

#include "support/Platform.h"

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
