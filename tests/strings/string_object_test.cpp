/* The string object: exact sizes, cuts, trims, substitutions, searches,
   comparisons, conversions and what a failed memory request leaves. */
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "datetime/DateTime.h"
#include "frame/Heap.h"
#include "strings/StringObject.h"

namespace {

// A string object that frees itself, with its text as a value.
struct Str {
  TSString ts{};
  explicit Str(const std::u16string& s = u"") { TSSetStrN(&ts, s.data(), ULONG(s.size())); }
  ~Str() { TSInit(&ts); }
  std::u16string text() const {
    EXPECT_TRUE(ts.nSize == 0 ? ts.pText == nullptr : ts.pText[ts.nSize - 1] == 0);  // exact size, terminated
    return ts.nSize ? std::u16string(ts.pText, ts.nSize - 1) : u"";
  }
};

TEST(StringObject, EmptyObjectsAndExactSizes) {
  TS ts = TSNew();
  ASSERT_NE(ts, nullptr);
  EXPECT_EQ(TSGetLen(ts), 0);
  EXPECT_TRUE(TSEmpty(ts));
  EXPECT_EQ(std::u16string(TSGetStr(ts)), u"");
  EXPECT_EQ(TSGetChar(ts, 0), 0);
  TSFromCh(ts, 0);
  EXPECT_EQ(TSGetLen(ts), 1);
  EXPECT_FALSE(TSEmpty(ts));
  EXPECT_EQ(TSGetStr(ts)[0], 0);
  TSSetStr(ts, QEL_W("abc"));
  EXPECT_EQ(ts->nSize, 4u);
  EXPECT_EQ(TSGetChar(ts, 2), u'c');
  EXPECT_EQ(TSGetChar(ts, 3), 0);
  EXPECT_EQ(TSGetChar(ts, -1), 0);
  EXPECT_EQ(TSGetChar(ts, 4), 0);
  TSSetLen(ts, 1);
  EXPECT_EQ(std::u16string(TSGetStr(ts)), u"a");
  TSSetLen(ts, 0);
  EXPECT_EQ(ts->pText, nullptr);
  TSFree(ts);
  TSFree(nullptr);

  TS clone = TSCloneN(QEL_W("abcdef"), 3);
  EXPECT_EQ(std::u16string(TSGetStr(clone)), u"abc");
  TSFree(clone);
}

TEST(StringObject, SettingAndAppending) {
  Str s(u"x");
  TSAddStrN(&s.ts, QEL_W("abcdef"), 3);
  EXPECT_EQ(s.text(), u"xabc");
  TSAdd(&s.ts, &s.ts);  // to itself: the text doubles
  EXPECT_EQ(s.text(), u"xabcxabc");
  Str empty;
  TSAdd(&empty.ts, &empty.ts);
  EXPECT_EQ(empty.ts.pText, nullptr);
  TSAddStr(&empty.ts, QEL_W(""));
  EXPECT_EQ(empty.ts.pText, nullptr);
  TSCopy(&empty.ts, &s.ts);
  EXPECT_EQ(empty.text(), u"xabcxabc");
  Str none;
  TSCopy(&empty.ts, &none.ts);
  EXPECT_EQ(empty.ts.nSize, 0u);

  struct Case {
    TS (*op)(TS, const WCHAR*, LONG);
    const WCHAR* s;
    LONG n;
    std::u16string expected;
  };
  const Case cases[] = {{TSRep, QEL_W("ab"), 3, u"ababab"},
                        {TSRep, QEL_W("ab"), 0, u""},
                        {TSRep, QEL_W("ab"), -2, u""},
                        {TSRep, QEL_W(""), 5, u""}};
  for (const Case& c : cases) {
    Str t(u"old");
    EXPECT_EQ(c.op(&t.ts, c.s, c.n), &t.ts);
    EXPECT_EQ(t.text(), c.expected);
  }
  for (auto [in, out] : {std::pair<std::u16string, std::u16string>{u"abc", u"cba"},
                         {u"ab", u"ba"},
                         {u"a", u"a"},
                         {u"", u""},
                         {u"\U0001F600x", u"x\xDE00\xD83D"}}) {
    Str t;
    TSInvert(&t.ts, reinterpret_cast<const WCHAR*>(in.c_str()));
    EXPECT_EQ(t.text(), out);
  }
}

TEST(StringObject, Cutting) {
  struct Case {
    char op;  // S sub, L left, R right, M mid
    std::u16string src;
    LONG a, b;
    std::u16string expected;
  };
  const Case cases[] = {
      {'S', u"abc", 1, 2, u"bc"},        {'S', u"abc", 1, 3, u""},    {'S', u"abc", -1, 1, u""},
      {'S', u"abc", 0, -1, u""},         {'S', u"abc", 3, 0, u""},    {'S', u"", 0, 0, u""},
      {'S', u"abc", 0, 3, u"abc"},       {'L', u"abc", 5, 0, u"abc"}, {'L', u"abc", 2, 0, u"ab"},
      {'L', u"abc", -1, 0, u""},         {'L', u"abc", 0, 0, u""},    {'R', u"abc", 2, 0, u"bc"},
      {'R', u"abc", 9, 0, u"abc"},       {'R', u"abc", -1, 0, u""},   {'M', u"abcde", -1, 1, u"d"},
      {'M', u"abcde", -2, 2, u"cd"},     {'M', u"abcde", -5, 1, u""}, {'M', u"abcde", 1, 3, u"bcd"},
      {'M', u"abcde", 3, 5, u"abcde"},   {'M', u"abcde", 1, -1, u""}, {'M', u"", 0, 0, u""},
      {'S', u"abc", 0x7FFFFFFF, 1, u""},
  };
  for (const Case& c : cases) {
    Str src(c.src), out(u"previous");
    TS r = c.op == 'S'   ? TSSubStr(&out.ts, &src.ts, c.a, c.b)
           : c.op == 'L' ? TSLeft(&out.ts, &src.ts, c.a)
           : c.op == 'R' ? TSRight(&out.ts, &src.ts, c.a)
                         : TSMid(&out.ts, &src.ts, c.a, c.b);
    EXPECT_EQ(r, &out.ts);
    EXPECT_EQ(out.text(), c.expected) << c.op << " " << c.a << " " << c.b;
  }
  Str self(u"abc");
  TSSubStr(&self.ts, &self.ts, 0, 2);  // the same object as source and target
  EXPECT_EQ(self.text(), u"");
}

TEST(StringObject, TrimCaseAndSubstitution) {
  struct Case {
    TS (*op)(TS);
    std::u16string in, out;
  };
  const Case cases[] = {
      {TSLTrim, u"  a b  ", u"a b  "},
      {TSLTrim, u"\ta", u"\ta"},
      {TSLTrim, u"   ", u""},
      {TSRTrim, u"  a b  ", u"  a b"},
      {TSRTrim, u"a\t", u"a\t"},
      {TSRTrim, u" ", u""},
      {TSATrim, u"  a b  ", u"a b"},
      {TSATrim, u"", u""},
      {TSUpper, u"abc-xyz", u"ABC-XYZ"},
      {TSLower, u"ABC-XYZ", u"abc-xyz"},
      {TSUpper, u"\u00E4", u"\u00E4"},  // the "C" locale maps ASCII only
  };
  for (const Case& c : cases) {
    Str s(c.in);
    EXPECT_EQ(c.op(&s.ts), &s.ts);
    EXPECT_EQ(s.text(), c.out);
  }
  ASSERT_NE(TSSetLocale(LC_ALL, QEL_W("German")), nullptr);
  Str umlaut(u"\u00E4\u00F6\u00FC");
  TSUpper(&umlaut.ts);
  EXPECT_EQ(umlaut.text(), u"\u00C4\u00D6\u00DC");
  TSSetLocale(LC_ALL, QEL_W("C"));

  struct Subst {
    bool chars;
    std::u16string in;
    const WCHAR* what;
    const WCHAR* with;
    std::u16string out;
  };
  const Subst substs[] = {
      {false, u"aaaa", QEL_W("aa"), QEL_W("b"), u"bb"},
      {false, u"aaaa", QEL_W("aa"), nullptr, u""},
      {false, u"aaa", QEL_W("aa"), QEL_W("aa"), u"aaa"},
      {false, u"abcabc", QEL_W("bc"), QEL_W("XYZ"), u"aXYZaXYZ"},
      {false, u"abc", QEL_W(""), QEL_W("x"), u"abc"},
      {false, u"", QEL_W("a"), QEL_W("x"), u""},
      {false, u"abc", QEL_W("abcd"), QEL_W("x"), u"abc"},
      {true, u"a,b;c", QEL_W(",;"), QEL_W(" - "), u"a - b - c"},
      {true, u",,,", QEL_W(","), QEL_W("x"), u"xxx"},
      {true, u"a,b", QEL_W(","), nullptr, u"ab"},
      {true, u"abc", QEL_W(""), QEL_W("x"), u"abc"},
      {true, u",", QEL_W(","), nullptr, u""},
  };
  for (const Subst& c : substs) {
    Str s(c.in);
    EXPECT_EQ(c.chars ? TSChrSubst(&s.ts, c.what, c.with) : TSStrSubst(&s.ts, c.what, c.with), &s.ts);
    EXPECT_EQ(s.text(), c.out);
  }
}

TEST(StringObject, SearchAndCompare) {
  Str s(u"abcabc");
  struct Case {
    bool reverse;
    const WCHAR* pattern;
    LONG from;
    LONG expected;
  };
  const Case cases[] = {
      {false, QEL_W("bc"), 0, 1},  {false, QEL_W("bc"), 2, 4},      {false, QEL_W("bc"), 5, -1},
      {false, QEL_W(""), 0, -1},   {false, QEL_W("a"), -1, -1},     {false, QEL_W("a"), 7, -1},
      {false, QEL_W("abc"), 3, 3}, {false, QEL_W("x"), 0, -1},      {true, QEL_W("bc"), 0, 4},
      {true, QEL_W("bc"), 5, -1},  {true, QEL_W(""), 0, 6},         {true, QEL_W(""), 7, -1},
      {true, QEL_W("abc"), -5, 3}, {true, QEL_W("abcabcx"), 0, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.reverse ? TSStrRPos(&s.ts, c.pattern, c.from) : TSStrPos(&s.ts, c.pattern, c.from),
              c.expected)
        << c.reverse << " " << c.from;
  Str empty, zeroFirst(std::u16string(u"\0a", 2));
  EXPECT_EQ(TSStrPos(&empty.ts, QEL_W("a"), 0), -1);
  EXPECT_EQ(TSStrPos(&zeroFirst.ts, QEL_W("a"), 0), -1);
  EXPECT_EQ(TSStrRPos(&empty.ts, QEL_W(""), 0), 0);

  Str a(u"a"), b(u"b"), ab(u"ab"), empty2;
  const std::tuple<const TSString*, const TSString*, LONG> order[] = {
      {&empty.ts, &a.ts, -1}, {&a.ts, &empty.ts, 1}, {&empty.ts, &empty2.ts, 0},
      {&b.ts, &a.ts, 1},      {&a.ts, &ab.ts, -1},   {&ab.ts, &ab.ts, 0}};
  for (auto [x, y, expected] : order) EXPECT_EQ(TSCmp(x, y), expected);
  Str high(u"\uFFFF"), low(u"\u00E4");
  EXPECT_EQ(TSCmp(&high.ts, &low.ts), 1);  // by code unit, not by locale
}

TEST(StringObject, Conversions) {
  struct Case {
    std::u16string actual, expected;
  };
  Str s;
  auto text = [&](TS r) { return r ? s.text() : std::u16string(u"<null>"); };
  const Case cases[] = {
      {text(TSFromInt(&s.ts, -42)), u"-42"},
      {text(TSFromLong(&s.ts, -2147483647 - 1)), u"-2147483648"},
      {text(TSFromULong(&s.ts, 4294967295u)), u"4294967295"},
      {text(TSFromDouble(&s.ts, 2.5)), u"2.500000"},
      {text(TSFromDoubleFmt(&s.ts, 2.345, 2)), u"2.35"},
      {text(TSFromDoubleFmt(&s.ts, 2.5, 0)), u"2"},
      {text(TSStr(&s.ts, 3.14159, 8, 2)), u"    3.14"},
      {text(TSStr(&s.ts, 3.14159, 8, -2)), u"3.14e+00"},
      {text(TSStr(&s.ts, -1.5, 0, 1)), u"-1.5"},
      {text(TSCStr(&s.ts, 7.25, QEL_W("[%6.1f]"))), u"[   7.2]"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected);

  // Formatted doubles are cut to 512 characters.
  TSFromDouble(&s.ts, 1e300);
  EXPECT_EQ(TSGetLen(&s.ts), 308);
  TSFromDoubleFmt(&s.ts, 1e300, 400);
  EXPECT_EQ(TSGetLen(&s.ts), 512);
  TSCStr(&s.ts, 1.0, QEL_W("%0600.1f"));
  EXPECT_EQ(TSGetLen(&s.ts), 512);

  ASSERT_NE(TSSetLocale(LC_NUMERIC, QEL_W("German")), nullptr);
  EXPECT_EQ(text(TSFromDouble(&s.ts, 2.5)), u"2,500000");
  TSSetStr(&s.ts, QEL_W("  2,75xyz"));
  EXPECT_EQ(TSVal(&s.ts), 2.75);
  TSSetLocale(LC_NUMERIC, QEL_W("C"));
  for (auto [in, value] : {std::pair<std::u16string, double>{u" -12.5e2z", -1250.0},
                           {u"abc", 0.0},
                           {u"", 0.0},
                           {u"+.5", 0.5},
                           {u"1e", 1.0},
                           {u"2,5", 2.0}}) {
    Str v(in);
    EXPECT_EQ(TSVal(&v.ts), value);
  }

  const SYSTEMTIME date{2026, 12, 0, 6, 17, 5, 9, 0};
  WCHAR expected[100];
  ASSERT_GT(GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &date, nullptr, expected, 100), 0);
  EXPECT_EQ(text(TSFromDate(&s.ts, &date)), std::u16string(expected));
}

TEST(StringObject, FailedAllocationEmptiesOrKeeps) {
  Str s(u"keep me");
  qel::heapFailAt(1);
  EXPECT_EQ(TSAddStr(&s.ts, QEL_W("more")), nullptr);  // a failed reallocation empties
  qel::heapFailAt(0);
  EXPECT_EQ(s.ts.nSize, 0u);

  for (TS (*op)(TS) : {TSLTrim, TSRTrim}) {
    Str t(u"  both  ");
    qel::heapFailAt(1);  // the scratch copy
    EXPECT_EQ(op(&t.ts), nullptr);
    qel::heapFailAt(0);
    EXPECT_EQ(t.text(), u"  both  ");
  }
  Str sub(u"a,b");
  qel::heapFailAt(1);
  EXPECT_EQ(TSChrSubst(&sub.ts, QEL_W(","), QEL_W("-")), nullptr);
  EXPECT_EQ(sub.text(), u"a,b");
  qel::heapFailAt(1);
  EXPECT_EQ(TSRep(&sub.ts, QEL_W("x"), 3), nullptr);
  EXPECT_EQ(sub.text(), u"a,b");
  qel::heapFailAt(1);
  EXPECT_EQ(TSCStr(&sub.ts, 1.0, QEL_W("%f")), nullptr);
  EXPECT_EQ(sub.text(), u"a,b");
  qel::heapFailAt(2);  // the text of the clone
  EXPECT_EQ(TSClone(QEL_W("abc")), nullptr);
  qel::heapFailAt(1);
  EXPECT_EQ(TSNew(), nullptr);
  qel::heapFailAt(0);
}

}  // namespace
