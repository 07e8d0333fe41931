/* The string object: exact sizes, cuts, trims, substitutions, searches,
   comparisons, conversions and what a failed memory request leaves; and
   wide and single-byte text through the ANSI code page. */
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "datetime/DateTime.h"
#include "frame/Heap.h"
#include "strings/CodePageText.h"
#include "strings/StringObject.h"
#include "support/CaseFile.h"
#include "support/Platform.h"

namespace {

using qel::NarrowText;
using qel::WideText;
using WString = std::basic_string<WCHAR>;

// A string object that frees itself, with its text as a value.
struct Str {
  TSString ts{};
  explicit Str(const WString& s = QEL_W("")) { TSSetStrN(&ts, s.data(), ULONG(s.size())); }
  ~Str() { TSInit(&ts); }
  WString text() const {
    EXPECT_TRUE(ts.nSize == 0 ? ts.pText == nullptr : ts.pText[ts.nSize - 1] == 0);  // exact size, terminated
    return ts.nSize ? WString(ts.pText, ts.nSize - 1) : QEL_W("");
  }
};

TEST(StringObject, EmptyObjectsAndExactSizes) {
  TS ts = TSNew();
  ASSERT_NE(ts, nullptr);
  EXPECT_EQ(TSGetLen(ts), 0);
  EXPECT_TRUE(TSEmpty(ts));
  EXPECT_EQ(WString(TSGetStr(ts)), QEL_W(""));
  TSFromCh(ts, 0);
  EXPECT_EQ(TSGetLen(ts), 1);
  EXPECT_FALSE(TSEmpty(ts));
  EXPECT_EQ(TSGetStr(ts)[0], 0);
  TSSetStr(ts, QEL_W("abc"));
  EXPECT_EQ(ts->nSize, 4u);
  TSFree(ts);
  TSFree(nullptr);

  TS clone = TSCloneN(QEL_W("abcdef"), 3);
  EXPECT_EQ(WString(TSGetStr(clone)), QEL_W("abc"));
  TSFree(clone);
}

TEST(StringObject, SettingAndAppending) {
  Str s(QEL_W("x"));
  TSAddStrN(&s.ts, QEL_W("abcdef"), 3);
  EXPECT_EQ(s.text(), QEL_W("xabc"));
  TSAdd(&s.ts, &s.ts);  // to itself: the text doubles
  EXPECT_EQ(s.text(), QEL_W("xabcxabc"));
  Str empty;
  TSAdd(&empty.ts, &empty.ts);
  EXPECT_EQ(empty.ts.pText, nullptr);
  TSAddStr(&empty.ts, QEL_W(""));
  EXPECT_EQ(empty.ts.pText, nullptr);
  TSCopy(&empty.ts, &s.ts);
  EXPECT_EQ(empty.text(), QEL_W("xabcxabc"));
  Str none;
  TSCopy(&empty.ts, &none.ts);
  EXPECT_EQ(empty.ts.nSize, 0u);
}

// The operations of the case file, each on a string object that holds
// the case's text: the text afterwards, or the number the operation gives.
std::string operate(const qel::test::Case& c) {
  using qel::test::unescape;
  Str s(unescape(c[1])), out(QEL_W("previous"));
  auto arg = [&c](size_t i) { return LONG(std::stol(c[i])); };
  auto text = [&c](size_t i) { return c[i] == "-" ? WString() : unescape(c[i]); };
  const WString a = text(2), b = c.size() > 4 ? text(3) : WString();
  const WCHAR* const with = c.size() > 4 && c[3] == "-" ? nullptr : b.c_str();
  const std::string& op = c[0];
  TS result = &s.ts;
  if (op == "Rep") result = TSRep(&s.ts, a.c_str(), arg(3));
  if (op == "Invert") result = TSInvert(&s.ts, a.c_str());
  if (op == "Sub") result = TSSubStr(&out.ts, &s.ts, arg(2), arg(3));
  if (op == "Left") result = TSLeft(&out.ts, &s.ts, arg(2));
  if (op == "Right") result = TSRight(&out.ts, &s.ts, arg(2));
  if (op == "Mid") result = TSMid(&out.ts, &s.ts, arg(2), arg(3));
  if (op == "LTrim") result = TSLTrim(&s.ts);
  if (op == "RTrim") result = TSRTrim(&s.ts);
  if (op == "ATrim") result = TSATrim(&s.ts);
  if (op == "Upper") result = TSUpper(&s.ts);
  if (op == "Lower") result = TSLower(&s.ts);
  if (op == "StrSubst") result = TSStrSubst(&s.ts, a.c_str(), with);
  if (op == "ChrSubst") result = TSChrSubst(&s.ts, a.c_str(), with);
  if (op == "Char") return std::to_string(TSGetChar(&s.ts, arg(2)));
  if (op == "SetLen") TSSetLen(&s.ts, arg(2));
  if (op == "Val") {
    char number[32];
    std::snprintf(number, sizeof number, "%g", TSVal(&s.ts));
    return number;
  }
  if (op == "Pos") return std::to_string(TSStrPos(&s.ts, a.c_str(), arg(3)));
  if (op == "RPos") return std::to_string(TSStrRPos(&s.ts, a.c_str(), arg(3)));
  if (op == "Cmp") {
    const Str other(a);
    return std::to_string(TSCmp(&s.ts, &other.ts));
  }
  if (result == &out.ts) return qel::test::narrow(out.text());
  return result == &s.ts ? qel::test::narrow(s.text()) : "wrong object";
}

TEST(StringObject, OperationsOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("strings/operations.txt")) {
    EXPECT_EQ(operate(c), qel::test::narrow(qel::test::unescape(c.fields.back()))) << c.where;
  }
  Str self(QEL_W("abc"));
  TSSubStr(&self.ts, &self.ts, 0, 2);  // the same object as source and target
  EXPECT_EQ(self.text(), QEL_W(""));
  ASSERT_NE(TSSetLocale(LC_ALL, QEL_W("German")), nullptr);
  Str umlaut(QEL_W("\u00E4\u00F6\u00FC"));
  TSUpper(&umlaut.ts);
  EXPECT_EQ(umlaut.text(), QEL_W("\u00C4\u00D6\u00DC"));
  TSSetLocale(LC_ALL, QEL_W("C"));
  // Past 256 matches.
  WString many, replaced;
  for (int i = 0; i < 300; ++i) many += QEL_W("xab"), replaced += QEL_W("xQ");
  Str s(many);
  TSStrSubst(&s.ts, QEL_W("ab"), QEL_W("Q"));
  EXPECT_EQ(s.text(), replaced);
}

TEST(StringObject, Conversions) {
  struct Case {
    WString actual, expected;
  };
  Str s;
  auto text = [&](TS r) { return r ? s.text() : WString(QEL_W("<null>")); };
  const Case cases[] = {
      {text(TSFromInt(&s.ts, -42)), QEL_W("-42")},
      {text(TSFromLong(&s.ts, -2147483647 - 1)), QEL_W("-2147483648")},
      {text(TSFromULong(&s.ts, 4294967295u)), QEL_W("4294967295")},
      {text(TSFromDouble(&s.ts, 2.5)), QEL_W("2.500000")},
      {text(TSFromDoubleFmt(&s.ts, 2.345, 2)), QEL_W("2.35")},
      {text(TSFromDoubleFmt(&s.ts, 2.5, 0)), QEL_W("2")},
      {text(TSStr(&s.ts, 3.14159, 8, 2)), QEL_W("    3.14")},
      {text(TSStr(&s.ts, 3.14159, 8, -2)), QEL_W("3.14e+00")},
      {text(TSStr(&s.ts, -1.5, 0, 1)), QEL_W("-1.5")},
      {text(TSCStr(&s.ts, 7.25, QEL_W("[%6.1f]"))), QEL_W("[   7.2]")},
  };
  // MinGW links msvcrt.dll, whose %e has three exponent digits and which
  // rounds ties away from zero; the Universal CRT (and our layer) does not.
  constexpr bool msvcrt = qel::test::onMsvcrt();
  for (const Case& c : cases) {
    const bool crtDependent =
        c.expected == QEL_W("2") || c.expected == QEL_W("3.14e+00") || c.expected == QEL_W("[   7.2]");
    if (!msvcrt || !crtDependent) {
      EXPECT_EQ(c.actual, c.expected);
    }
  }

  // Formatted doubles are cut to 512 characters.
  TSFromDouble(&s.ts, 1e300);
  EXPECT_EQ(TSGetLen(&s.ts), 308);
  TSFromDoubleFmt(&s.ts, 1e300, 400);
  EXPECT_EQ(TSGetLen(&s.ts), 512);
  TSCStr(&s.ts, 1.0, QEL_W("%0600.1f"));
  EXPECT_EQ(TSGetLen(&s.ts), 512);

  ASSERT_NE(TSSetLocale(LC_NUMERIC, QEL_W("German")), nullptr);
  EXPECT_EQ(text(TSFromDouble(&s.ts, 2.5)), QEL_W("2,500000"));
  TSSetStr(&s.ts, QEL_W("  2,75xyz"));
  EXPECT_EQ(TSVal(&s.ts), 2.75);
  TSSetLocale(LC_NUMERIC, QEL_W("C"));

  const SYSTEMTIME date{2026, 12, 0, 6, 17, 5, 9, 0};
  WCHAR expected[100];
  ASSERT_GT(GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &date, nullptr, expected, 100), 0);
  EXPECT_EQ(text(TSFromDate(&s.ts, &date)), WString(expected));
}

TEST(CodePageText, CreationAndConversion) {
  EXPECT_EQ(WideText().length(), 0u);
  EXPECT_EQ(WideText(static_cast<const WCHAR*>(nullptr)).text()[0], 0);
  EXPECT_EQ(WideText(QEL_W("abc"), 0).length(), 0u);
  const WideText two(QEL_W("abc"), 2);
  EXPECT_EQ(WString(reinterpret_cast<const WCHAR*>(two.text())), QEL_W("ab"));
  const WCHAR inner[] = {'x', 0, 'y'};
  EXPECT_EQ(WideText(inner, 3).length(), 3u);  // exactly count characters, zeros included

  const WideText fromAnsi("K\xF6ln \x80");
  EXPECT_EQ(WString(reinterpret_cast<const WCHAR*>(fromAnsi.text())), QEL_W("K\u00f6ln \u20ac"));
  EXPECT_EQ(WideText(static_cast<const char*>(nullptr)).length(), 0u);
  EXPECT_EQ(WideText("").length(), 0u);

  const WCHAR unmappable[] = {'a', 0x4E2D, 0x00E9, 0};
  const NarrowText narrow{WideText(unmappable)};
  EXPECT_STREQ(narrow.text(), "a?\xE9");
  EXPECT_EQ(narrow.length(), 3u);
  EXPECT_STREQ(NarrowText(WideText()).text(), "");

  NarrowText copy(narrow);
  copy = copy;
  EXPECT_STREQ(copy.text(), "a?\xE9");
  copy = NarrowText();
  EXPECT_STREQ(copy.text(), "");
  EXPECT_TRUE(copy.complete());
}

}  // namespace
