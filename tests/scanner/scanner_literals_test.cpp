/* Numbers, strings, characters and both escape dialects. */
#include <gtest/gtest.h>

#include <cstring>

#include "scanner/ScannerFixture.h"

namespace {

using qel::test::Scanner;
using qel::test::Symbol;

struct IntegerCase {
  std::u16string line;
  LONG code;
  ULONG value;  // ulULong, and the field of the code
};

TEST(ScannerNumbers, IntegerRangesAndPrefixes) {
  // clang-format off
  const std::vector<IntegerCase> cases{
      {u"0", -1, 0}, {u"32767", -1, 32767}, {u"32768", -2, 32768}, {u"65535", -2, 65535},
      {u"65536", -3, 65536}, {u"2147483647", -3, 2147483647u}, {u"2147483648", -4, 2147483648u},
      {u"4294967295", -4, 4294967295u}, {u"0x1F", -1, 31}, {u"0X7fff", -1, 32767}, {u"0xFFFF", -2, 65535},
      {u"0x10000", -3, 65536}, {u"0xFFFFFFFF", -4, 4294967295u}, {u"0x00000000000000001", -1, 1},
      {u"0b101", -1, 5}, {u"0B11111111111111111111111111111111", -4, 4294967295u},
  };
  // clang-format on
  for (const IntegerCase& c : cases) {
    Scanner s(0);
    s.newLine(c.line);
    EXPECT_EQ(s.next(), (Symbol{c.code, c.line, ULONG(c.line.size())}))
        << std::string(c.line.begin(), c.line.end());
    EXPECT_EQ(SymGetULong(&s.ctx), c.value);
    switch (c.code) {
      case -1: EXPECT_EQ(SymGetShort(&s.ctx), SHORT(c.value)); break;
      case -2: EXPECT_EQ(SymGetUShort(&s.ctx), USHORT(c.value)); break;
      case -3: EXPECT_EQ(SymGetLong(&s.ctx), LONG(c.value)); break;
    }
  }
}

TEST(ScannerNumbers, OnlyTheMatchingFieldIsWritten) {
  Scanner s(0);
  s.newLine(u"70000 1.5 7");
  EXPECT_EQ(s.next().code, -3);
  EXPECT_EQ(s.next().code, -5);
  EXPECT_EQ(SymGetLong(&s.ctx), 70000);  // kept from the number before
  EXPECT_EQ(SymGetULong(&s.ctx), 1u);    // the integer part's accumulator
  EXPECT_EQ(s.next().code, -1);
  EXPECT_EQ(SymGetDouble(&s.ctx), 1.5);
  EXPECT_EQ(SymGetShort(&s.ctx), 7);
}

struct DoubleCase {
  std::u16string line;
  double value;
};

TEST(ScannerNumbers, Doubles) {
  // The fraction is summed digit by digit: the expected values are that sum.
  const double tenDigits = 0.0 + 1 / 1e10;
  const double pi = 3.0 + 1 / 10.0 + 4 / 100.0 + 1 / 1000.0 + 5 / 10000.0 + 9 / 100000.0;
  // clang-format off
  const std::vector<DoubleCase> cases{
      {u"1.5", 1.5}, {u"12.", 12.0}, {u"0.0000000001", tenDigits}, {u"3.14159", pi}, {u"0.", 0.0},
      {u"4294967296.5", 4294967296.5}, {u"4294967295.25", 4294967295.0 + 2 / 10.0 + 5 / 100.0},
      {u"12345678901234.0", 12345678901234.0},
  };
  // clang-format on
  for (const DoubleCase& c : cases) {
    Scanner s(0);
    s.newLine(c.line);
    EXPECT_EQ(s.next(), (Symbol{-5, c.line, ULONG(c.line.size())}));
    EXPECT_EQ(SymGetDouble(&s.ctx), c.value) << std::string(c.line.begin(), c.line.end());
  }
}

TEST(ScannerNumbers, SplitsAndErrors) {
  struct Case {
    std::u16string line;
    std::vector<Symbol> expected;
  };
  const std::vector<Case> cases{
      {u"012", {{-1, u"0", 1}, {-1, u"12", 3}, {-98, u"", 3}}},
      {u"1.2.3", {{-5, u"1.2", 3}, {46, u".", 4}, {-1, u"3", 5}, {-98, u"", 5}}},
      {u"1e5", {{-1, u"1", 1}, {-8, u"e5", 3}, {-98, u"", 3}}},
      {u"-5", {{45, u"-", 1}, {-1, u"5", 2}, {-98, u"", 2}}},
      {u"0b102", {{-1, u"0b10", 4}, {-1, u"2", 5}, {-98, u"", 5}}},
      {u"4294967296", {{-200, u"4294967296", 10}, {-98, u"", 10}}},
      {u"99999999999 x", {{-200, u"99999999999", 11}, {-8, u"x", 13}, {-98, u"", 13}}},
      {u"0x1FFFFFFFF", {{-200, u"0x1FFFFFFFF", 11}, {-98, u"", 11}}},
      {u"0x100000000", {{-200, u"0x100000000", 11}, {-98, u"", 11}}},
      {u"0x", {{-200, u"0x", 2}, {-98, u"", 2}}},
      {u"0xg", {{-200, u"0x", 2}, {-8, u"g", 3}, {-98, u"", 3}}},
      {u"0b", {{-200, u"0b", 2}, {-98, u"", 2}}},
      {u"0b1000000000000000000000000000000001",
       {{-200, u"0b100000000000000000000000000000000", 35}, {-1, u"1", 36}, {-98, u"", 36}}},
  };
  for (const Case& c : cases) {
    Scanner s(0);
    EXPECT_EQ(s.scan(c.line), c.expected) << std::string(c.line.begin(), c.line.end());
  }
}

TEST(ScannerNumbers, LongerThanTheBuffer) {
  // The digit that no longer fits is read and lost; the rest follows.
  Scanner s(0, 8, 4);
  EXPECT_EQ(s.scan(u"1234567"), (std::vector<Symbol>{{-200, u"1234", 5}, {-1, u"67", 7}, {-98, u"", 7}}));
  EXPECT_EQ(s.scan(u"12.5"), (std::vector<Symbol>{{-5, u"12.5", 4}, {-98, u"", 4}}));
  EXPECT_EQ(s.scan(u"1234.5"),
            (std::vector<Symbol>{{-200, u"1234", 4}, {46, u".", 5}, {-1, u"5", 6}, {-98, u"", 6}}));
  EXPECT_EQ(s.scan(u"0xABCDE"), (std::vector<Symbol>{{-200, u"0xAB", 5}, {-8, u"DE", 7}, {-98, u"", 7}}));
  EXPECT_EQ(s.scan(u"1.2345"), (std::vector<Symbol>{{-200, u"1.23", 5}, {-1, u"5", 6}, {-98, u"", 6}}));
}

struct LiteralCase {
  LONG mode;
  ULONG escapeMode;
  std::u16string line;
  LONG code;
  std::u16string text;
  std::u16string raw;
};

void expectLiterals(const std::vector<LiteralCase>& cases) {
  for (const LiteralCase& c : cases) {
    Scanner s(c.mode);
    s.ctx.nEscapeMode = c.escapeMode;
    s.newLine(c.line);
    Symbol got = s.next();
    const std::string shown(c.line.begin(), c.line.end());
    EXPECT_EQ(got.code, c.code) << shown;
    EXPECT_EQ(got.text, c.text) << shown;
    EXPECT_EQ(std::u16string(SymGetAlphaUnTranslated(&s.ctx), SymGetAlphaLenUnTranslated(&s.ctx)), c.raw)
        << shown;
  }
}

TEST(ScannerStrings, StandardEscapes) {
  // clang-format off
  expectLiterals({
      {0, 0, u"\"a\\tb\"", -6, u"a\tb", u"a\\tb"}, {0, 0, u"\"\"", -6, u"", u""},
      {0, 0, u"\"\\101\"", -6, u"e", u"\\101"}, {0, 0, u"\"\\0101\"", -6, u"A", u"\\0101"},
      {0, 0, u"\"\\x41\"", -6, u"A", u"\\x41"}, {0, 0, u"\"\\q\"", -6, u"q", u"\\q"},
      {0, 0, u"\"\\65\"", -6, u"A", u"\\65"}, {0, 0, u"\"\\999\"", -6, u"\u03E7", u"\\999"},
      {0, 0, u"\"\\1234\"", -6, u"{4", u"\\1234"},
      {0, 0, u"\"\\0\"", -6, std::u16string(1, u'\0'), u"\\0"},
      {0, 0, u"\"\\08\"", -6,
       std::u16string(u"\0"
                      "8",
                      2),
       u"\\08"},
      {0, 0, u"\"\\01234\"", -6, u"S4", u"\\01234"},
      {0, 0, u"\"\\a\\b\\f\\n\\r\\t\\v\"", -6, u"\a\b\f\n\r\t\v", u"\\a\\b\\f\\n\\r\\t\\v"},
      {0, 0, u"\"\\N\\\\\\\"\\'\\?\"", -6, u"N\\\"'?", u"\\N\\\\\\\"\\'\\?"},
      {0, 0, u"\"\\x\"", -6, std::u16string(1, u'\0'), u"\\x"}, {0, 0, u"\"\\x4g\"", -6, u"\x04g", u"\\x4g"},
      {0, 0, u"\"\\x414\"", -6, u"A4", u"\\x414"}, {0, 0, u"\"\\y\\z\\~\"", -6, u"yz~", u"\\y\\z\\~"},
      {1, 0, u"\"\\x61\"", -6, u"a", u"\\x61"},  // the same in every mode
      {3, 0, u"'\\t'", -7, u"\t", u"\\t"},
  });
  // clang-format on
}

TEST(ScannerStrings, StrictEscapes) {
  // clang-format off
  expectLiterals({
      {0, 1, u"\"\\101\"", -6, u"A", u"\\101"},
      {0, 1, u"\"\\0101\"", -6,
       u"\x08"
       u"1",
       u"\\0101"},
      {0, 1, u"\"\\377\"", -6, u"\u00FF", u"\\377"}, {0, 1, u"\"\\400\"", -6, u"400", u"\\400"},
      {0, 1, u"\"\\7\"", -6, u"\x07", u"\\7"}, {0, 1, u"\"\\8\\9\"", -6, u"89", u"\\8\\9"},
      {0, 1, u"\"\\x41\"", -6, u"A", u"\\x41"}, {0, 1, u"\"\\x4\"", -6, u"x4", u"\\x4"},
      {0, 1, u"\"\\x\"", -6, u"x", u"\\x"}, {0, 1, u"\"\\x414\"", -6, u"A4", u"\\x414"},
      {0, 1, u"\"\\n\\q\\\\\"", -6, u"\nq\\", u"\\n\\q\\\\"},
      {0, 2, u"\"\\101\"", -6, u"e", u"\\101"},  // any value but 1 is the standard dialect
  });
  // clang-format on
}

TEST(ScannerStrings, CharactersAndErrors) {
  // clang-format off
  expectLiterals({
      {0, 0, u"'a'", -7, u"a", u"a"}, {0, 0, u"'\\n'", -7, u"\n", u"\\n"}, {0, 0, u"'\"'", -7, u"\"", u"\""},
      {0, 0, u"\"'\"", -6, u"'", u"'"}, {0, 0, u"''", -202, u"", u""}, {0, 0, u"'ab'", -202, u"ab", u"ab"},
      {0, 0, u"'a", -202, u"a", u"a"}, {0, 0, u"\"abc", -201, u"abc", u"abc"},
      {0, 0, u"\"ab\\\"", -201, u"ab\"", u"ab\\\""}, {0, 0, u"\"ab\\", -201, u"ab\\", u"ab\\"},
      {0, 0, u"'\\", -202, u"\\", u"\\"}, {0, 0, u"'\U0001F600'", -202, u"\U0001F600", u"\U0001F600"},
  });
  // clang-format on
}

TEST(ScannerStrings, ContinuationOverLines) {
  Scanner s(0);
  s.newLine(u"x \"abc");
  EXPECT_EQ(s.next(), (Symbol{-8, u"x", 1}));
  EXPECT_EQ(s.next(), (Symbol{-201, u"abc", 6}));
  EXPECT_EQ(s.next(), (Symbol{-201, u"abc", 6}));  // stays open on the same line
  EXPECT_EQ(s.ctx.chPendingQuote, u'"');
  s.newLine(u"def\" x");
  EXPECT_EQ(s.next(), (Symbol{-6, u"abcdef", 4}));
  EXPECT_EQ(std::u16string(SymGetAlphaUnTranslated(&s.ctx)), u"abcdef");
  EXPECT_EQ(s.next(), (Symbol{-8, u"x", 6}));
  EXPECT_EQ(s.ctx.chPendingQuote, 0);

  // After -202 the literal goes on from where it stood.
  Scanner c(0);
  c.newLine(u"'ab' x'");
  EXPECT_EQ(c.next(), (Symbol{-202, u"ab", 4}));
  EXPECT_EQ(c.next(), (Symbol{-202, u"ab x", 7}));
  EXPECT_EQ(c.next(), (Symbol{-202, u"ab x", 7}));

  // SymReset abandons an open literal.
  Scanner r(0);
  r.newLine(u"\"open");
  EXPECT_EQ(r.next().code, -201);
  SymReset(&r.ctx);
  EXPECT_EQ(r.codes(u"a"), (std::vector<LONG>{-8, -98}));
}

TEST(ScannerStrings, OverlongLiteralsAreTruncated) {
  Scanner s(0, 4, 4);
  s.newLine(u"\"abcdefgh\" 'xyzzy' z");
  EXPECT_EQ(s.next(), (Symbol{-6, u"abcd", 10}));
  EXPECT_EQ(std::u16string(SymGetAlphaUnTranslated(&s.ctx)), u"abcd");
  EXPECT_EQ(s.next(), (Symbol{-202, u"xyzz", 18}));
  // A very long string in a big buffer keeps every character.
  Scanner big(0, 64, 100000);
  std::u16string content(70000, u'\u00E9');
  big.newLine(u"\"" + content + u"\"");
  EXPECT_EQ(big.next(), (Symbol{-6, content, 70002}));
}

TEST(ScannerWorkers, DrivenDirectly) {
  Scanner s(0);
  s.newLine(u"\\x41rest");
  EXPECT_EQ(SymEscapeSeq(&s.ctx), u'A');
  EXPECT_EQ(SymGetColumnNo(&s.ctx), 3u);  // on the sequence's last character
  EXPECT_EQ(std::u16string(s.ctx.pszAlphaUnTranslated, s.ctx.nAlphaLenUnTranslated), u"x41");

  Scanner n(0);
  n.newLine(u"ab 0x10;");
  n.ctx.nColumnNo = 3;
  SymScanNumber(&n.ctx);
  EXPECT_EQ(SymGetSym(&n.ctx), -1);
  EXPECT_EQ(SymGetShort(&n.ctx), 16);
  EXPECT_EQ(SymGetColumnNo(&n.ctx), 7u);

  Scanner q(0);
  q.newLine(u"<a\\tb> c");
  q.ctx.chPendingQuote = u'>';
  SymScanString(&q.ctx);
  EXPECT_EQ(std::u16string(SymGetAlpha(&q.ctx)), u"a\tb");
  EXPECT_EQ(std::u16string(SymGetAlphaUnTranslated(&q.ctx)), u"a\\tb");
  EXPECT_EQ(SymGetColumnNo(&q.ctx), 6u);
  EXPECT_EQ(SymGetSym(&q.ctx), -98);  // no symbol is set
}

}  // namespace
