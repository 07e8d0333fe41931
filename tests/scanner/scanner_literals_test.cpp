/* Numbers, strings, characters and both escape dialects. */
#include <gtest/gtest.h>

#include <cstring>

#include "scanner/ScannerFixture.h"

namespace {

using qel::test::Scanner;
using qel::test::Symbol;

struct IntegerCase {
  std::basic_string<WCHAR> line;
  LONG code;
  ULONG value;  // ulULong, and the field of the code
};

TEST(ScannerNumbers, IntegerRangesAndPrefixes) {
  // clang-format off
  const std::vector<IntegerCase> cases{
      {QEL_W("0"), -1, 0}, {QEL_W("32767"), -1, 32767}, {QEL_W("32768"), -2, 32768}, {QEL_W("65535"), -2, 65535},
      {QEL_W("65536"), -3, 65536}, {QEL_W("2147483647"), -3, 2147483647u}, {QEL_W("2147483648"), -4, 2147483648u},
      {QEL_W("4294967295"), -4, 4294967295u}, {QEL_W("0x1F"), -1, 31}, {QEL_W("0X7fff"), -1, 32767}, {QEL_W("0xFFFF"), -2, 65535},
      {QEL_W("0x10000"), -3, 65536}, {QEL_W("0xFFFFFFFF"), -4, 4294967295u}, {QEL_W("0x00000000000000001"), -1, 1},
      {QEL_W("0b101"), -1, 5}, {QEL_W("0B11111111111111111111111111111111"), -4, 4294967295u},
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
  s.newLine(QEL_W("70000 1.5 7"));
  EXPECT_EQ(s.next().code, -3);
  EXPECT_EQ(s.next().code, -5);
  EXPECT_EQ(SymGetLong(&s.ctx), 70000);  // kept from the number before
  EXPECT_EQ(SymGetULong(&s.ctx), 1u);    // the integer part's accumulator
  EXPECT_EQ(s.next().code, -1);
  EXPECT_EQ(SymGetDouble(&s.ctx), 1.5);
  EXPECT_EQ(SymGetShort(&s.ctx), 7);
}

struct DoubleCase {
  std::basic_string<WCHAR> line;
  double value;
};

TEST(ScannerNumbers, Doubles) {
  // The fraction is summed digit by digit: the expected values are that sum.
  const double tenDigits = 0.0 + 1 / 1e10;
  const double pi = 3.0 + 1 / 10.0 + 4 / 100.0 + 1 / 1000.0 + 5 / 10000.0 + 9 / 100000.0;
  // clang-format off
  const std::vector<DoubleCase> cases{
      {QEL_W("1.5"), 1.5}, {QEL_W("12."), 12.0}, {QEL_W("0.0000000001"), tenDigits}, {QEL_W("3.14159"), pi}, {QEL_W("0."), 0.0},
      {QEL_W("4294967296.5"), 4294967296.5}, {QEL_W("4294967295.25"), 4294967295.0 + 2 / 10.0 + 5 / 100.0},
      {QEL_W("12345678901234.0"), 12345678901234.0},
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
    std::basic_string<WCHAR> line;
    std::vector<Symbol> expected;
  };
  const std::vector<Case> cases{
      {QEL_W("012"), {{-1, QEL_W("0"), 1}, {-1, QEL_W("12"), 3}, {-98, QEL_W(""), 3}}},
      {QEL_W("1.2.3"),
       {{-5, QEL_W("1.2"), 3}, {46, QEL_W("."), 4}, {-1, QEL_W("3"), 5}, {-98, QEL_W(""), 5}}},
      {QEL_W("1e5"), {{-1, QEL_W("1"), 1}, {-8, QEL_W("e5"), 3}, {-98, QEL_W(""), 3}}},
      {QEL_W("-5"), {{45, QEL_W("-"), 1}, {-1, QEL_W("5"), 2}, {-98, QEL_W(""), 2}}},
      {QEL_W("0b102"), {{-1, QEL_W("0b10"), 4}, {-1, QEL_W("2"), 5}, {-98, QEL_W(""), 5}}},
      {QEL_W("4294967296"), {{-200, QEL_W("4294967296"), 10}, {-98, QEL_W(""), 10}}},
      {QEL_W("99999999999 x"),
       {{-200, QEL_W("99999999999"), 11}, {-8, QEL_W("x"), 13}, {-98, QEL_W(""), 13}}},
      {QEL_W("0x1FFFFFFFF"), {{-200, QEL_W("0x1FFFFFFFF"), 11}, {-98, QEL_W(""), 11}}},
      {QEL_W("0x100000000"), {{-200, QEL_W("0x100000000"), 11}, {-98, QEL_W(""), 11}}},
      {QEL_W("0x"), {{-200, QEL_W("0x"), 2}, {-98, QEL_W(""), 2}}},
      {QEL_W("0xg"), {{-200, QEL_W("0x"), 2}, {-8, QEL_W("g"), 3}, {-98, QEL_W(""), 3}}},
      {QEL_W("0b"), {{-200, QEL_W("0b"), 2}, {-98, QEL_W(""), 2}}},
      {QEL_W("0b1000000000000000000000000000000001"),
       {{-200, QEL_W("0b100000000000000000000000000000000"), 35},
        {-1, QEL_W("1"), 36},
        {-98, QEL_W(""), 36}}},
  };
  for (const Case& c : cases) {
    Scanner s(0);
    EXPECT_EQ(s.scan(c.line), c.expected) << std::string(c.line.begin(), c.line.end());
  }
}

TEST(ScannerNumbers, LongerThanTheBuffer) {
  // The digit that no longer fits is read and lost; the rest follows.
  Scanner s(0, 8, 4);
  EXPECT_EQ(s.scan(QEL_W("1234567")),
            (std::vector<Symbol>{{-200, QEL_W("1234"), 5}, {-1, QEL_W("67"), 7}, {-98, QEL_W(""), 7}}));
  EXPECT_EQ(s.scan(QEL_W("12.5")), (std::vector<Symbol>{{-5, QEL_W("12.5"), 4}, {-98, QEL_W(""), 4}}));
  EXPECT_EQ(s.scan(QEL_W("1234.5")),
            (std::vector<Symbol>{
                {-200, QEL_W("1234"), 4}, {46, QEL_W("."), 5}, {-1, QEL_W("5"), 6}, {-98, QEL_W(""), 6}}));
  EXPECT_EQ(s.scan(QEL_W("0xABCDE")),
            (std::vector<Symbol>{{-200, QEL_W("0xAB"), 5}, {-8, QEL_W("DE"), 7}, {-98, QEL_W(""), 7}}));
  EXPECT_EQ(s.scan(QEL_W("1.2345")),
            (std::vector<Symbol>{{-200, QEL_W("1.23"), 5}, {-1, QEL_W("5"), 6}, {-98, QEL_W(""), 6}}));
}

struct LiteralCase {
  LONG mode;
  ULONG escapeMode;
  std::basic_string<WCHAR> line;
  LONG code;
  std::basic_string<WCHAR> text;
  std::basic_string<WCHAR> raw;
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
    EXPECT_EQ(std::basic_string<WCHAR>(SymGetAlphaUnTranslated(&s.ctx), SymGetAlphaLenUnTranslated(&s.ctx)),
              c.raw)
        << shown;
  }
}

TEST(ScannerStrings, StandardEscapes) {
  // clang-format off
  expectLiterals({
      {0, 0, QEL_W("\"a\\tb\""), -6, QEL_W("a\tb"), QEL_W("a\\tb")}, {0, 0, QEL_W("\"\""), -6, QEL_W(""), QEL_W("")},
      {0, 0, QEL_W("\"\\101\""), -6, QEL_W("e"), QEL_W("\\101")}, {0, 0, QEL_W("\"\\0101\""), -6, QEL_W("A"), QEL_W("\\0101")},
      {0, 0, QEL_W("\"\\x41\""), -6, QEL_W("A"), QEL_W("\\x41")}, {0, 0, QEL_W("\"\\q\""), -6, QEL_W("q"), QEL_W("\\q")},
      {0, 0, QEL_W("\"\\65\""), -6, QEL_W("A"), QEL_W("\\65")}, {0, 0, QEL_W("\"\\999\""), -6, QEL_W("\u03E7"), QEL_W("\\999")},
      {0, 0, QEL_W("\"\\1234\""), -6, QEL_W("{4"), QEL_W("\\1234")},
      {0, 0, QEL_W("\"\\0\""), -6, std::basic_string<WCHAR>(1, u'\0'), QEL_W("\\0")},
      {0, 0, QEL_W("\"\\08\""), -6,
       std::basic_string<WCHAR>(QEL_W("\0")
                      "8",
                      2),
       QEL_W("\\08")},
      {0, 0, QEL_W("\"\\01234\""), -6, QEL_W("S4"), QEL_W("\\01234")},
      {0, 0, QEL_W("\"\\a\\b\\f\\n\\r\\t\\v\""), -6, QEL_W("\a\b\f\n\r\t\v"), QEL_W("\\a\\b\\f\\n\\r\\t\\v")},
      {0, 0, QEL_W("\"\\N\\\\\\\"\\'\\?\""), -6, QEL_W("N\\\"'?"), QEL_W("\\N\\\\\\\"\\'\\?")},
      {0, 0, QEL_W("\"\\x\""), -6, std::basic_string<WCHAR>(1, u'\0'), QEL_W("\\x")}, {0, 0, QEL_W("\"\\x4g\""), -6, QEL_W("\x04g"), QEL_W("\\x4g")},
      {0, 0, QEL_W("\"\\x414\""), -6, QEL_W("A4"), QEL_W("\\x414")}, {0, 0, QEL_W("\"\\y\\z\\~\""), -6, QEL_W("yz~"), QEL_W("\\y\\z\\~")},
      {1, 0, QEL_W("\"\\x61\""), -6, QEL_W("a"), QEL_W("\\x61")},  // the same in every mode
      {3, 0, QEL_W("'\\t'"), -7, QEL_W("\t"), QEL_W("\\t")},
  });
  // clang-format on
}

TEST(ScannerStrings, StrictEscapes) {
  // clang-format off
  expectLiterals({
      {0, 1, QEL_W("\"\\101\""), -6, QEL_W("A"), QEL_W("\\101")},
      {0, 1, QEL_W("\"\\0101\""), -6,
       QEL_W("\x08")
       QEL_W("1"),
       QEL_W("\\0101")},
      {0, 1, QEL_W("\"\\377\""), -6, QEL_W("\u00FF"), QEL_W("\\377")}, {0, 1, QEL_W("\"\\400\""), -6, QEL_W("400"), QEL_W("\\400")},
      {0, 1, QEL_W("\"\\7\""), -6, QEL_W("\x07"), QEL_W("\\7")}, {0, 1, QEL_W("\"\\8\\9\""), -6, QEL_W("89"), QEL_W("\\8\\9")},
      {0, 1, QEL_W("\"\\x41\""), -6, QEL_W("A"), QEL_W("\\x41")}, {0, 1, QEL_W("\"\\x4\""), -6, QEL_W("x4"), QEL_W("\\x4")},
      {0, 1, QEL_W("\"\\x\""), -6, QEL_W("x"), QEL_W("\\x")}, {0, 1, QEL_W("\"\\x414\""), -6, QEL_W("A4"), QEL_W("\\x414")},
      {0, 1, QEL_W("\"\\n\\q\\\\\""), -6, QEL_W("\nq\\"), QEL_W("\\n\\q\\\\")},
      {0, 2, QEL_W("\"\\101\""), -6, QEL_W("e"), QEL_W("\\101")},  // any value but 1 is the standard dialect
  });
  // clang-format on
}

TEST(ScannerStrings, CharactersAndErrors) {
  // clang-format off
  expectLiterals({
      {0, 0, QEL_W("'a'"), -7, QEL_W("a"), QEL_W("a")}, {0, 0, QEL_W("'\\n'"), -7, QEL_W("\n"), QEL_W("\\n")}, {0, 0, QEL_W("'\"'"), -7, QEL_W("\""), QEL_W("\"")},
      {0, 0, QEL_W("\"'\""), -6, QEL_W("'"), QEL_W("'")}, {0, 0, QEL_W("''"), -202, QEL_W(""), QEL_W("")}, {0, 0, QEL_W("'ab'"), -202, QEL_W("ab"), QEL_W("ab")},
      {0, 0, QEL_W("'a"), -202, QEL_W("a"), QEL_W("a")}, {0, 0, QEL_W("\"abc"), -201, QEL_W("abc"), QEL_W("abc")},
      {0, 0, QEL_W("\"ab\\\""), -201, QEL_W("ab\""), QEL_W("ab\\\"")}, {0, 0, QEL_W("\"ab\\"), -201, QEL_W("ab\\"), QEL_W("ab\\")},
      {0, 0, QEL_W("'\\"), -202, QEL_W("\\"), QEL_W("\\")}, {0, 0, QEL_W("'\U0001F600'"), -202, QEL_W("\U0001F600"), QEL_W("\U0001F600")},
  });
  // clang-format on
}

TEST(ScannerStrings, ContinuationOverLines) {
  Scanner s(0);
  s.newLine(QEL_W("x \"abc"));
  EXPECT_EQ(s.next(), (Symbol{-8, QEL_W("x"), 1}));
  EXPECT_EQ(s.next(), (Symbol{-201, QEL_W("abc"), 6}));
  EXPECT_EQ(s.next(), (Symbol{-201, QEL_W("abc"), 6}));  // stays open on the same line
  EXPECT_EQ(s.ctx.chPendingQuote, u'"');
  s.newLine(QEL_W("def\" x"));
  EXPECT_EQ(s.next(), (Symbol{-6, QEL_W("abcdef"), 4}));
  EXPECT_EQ(std::basic_string<WCHAR>(SymGetAlphaUnTranslated(&s.ctx)), QEL_W("abcdef"));
  EXPECT_EQ(s.next(), (Symbol{-8, QEL_W("x"), 6}));
  EXPECT_EQ(s.ctx.chPendingQuote, 0);

  // After -202 the literal goes on from where it stood.
  Scanner c(0);
  c.newLine(QEL_W("'ab' x'"));
  EXPECT_EQ(c.next(), (Symbol{-202, QEL_W("ab"), 4}));
  EXPECT_EQ(c.next(), (Symbol{-202, QEL_W("ab x"), 7}));
  EXPECT_EQ(c.next(), (Symbol{-202, QEL_W("ab x"), 7}));

  // SymReset abandons an open literal.
  Scanner r(0);
  r.newLine(QEL_W("\"open"));
  EXPECT_EQ(r.next().code, -201);
  SymReset(&r.ctx);
  EXPECT_EQ(r.codes(QEL_W("a")), (std::vector<LONG>{-8, -98}));
}

TEST(ScannerStrings, OverlongLiteralsAreTruncated) {
  Scanner s(0, 4, 4);
  s.newLine(QEL_W("\"abcdefgh\" 'xyzzy' z"));
  EXPECT_EQ(s.next(), (Symbol{-6, QEL_W("abcd"), 10}));
  EXPECT_EQ(std::basic_string<WCHAR>(SymGetAlphaUnTranslated(&s.ctx)), QEL_W("abcd"));
  EXPECT_EQ(s.next(), (Symbol{-202, QEL_W("xyzz"), 18}));
  // A very long string in a big buffer keeps every character.
  Scanner big(0, 64, 100000);
  std::basic_string<WCHAR> content(70000, u'\u00E9');
  big.newLine(QEL_W("\"") + content + QEL_W("\""));
  EXPECT_EQ(big.next(), (Symbol{-6, content, 70002}));
}

TEST(ScannerWorkers, DrivenDirectly) {
  Scanner s(0);
  s.newLine(QEL_W("\\x41rest"));
  EXPECT_EQ(SymEscapeSeq(&s.ctx), u'A');
  EXPECT_EQ(SymGetColumnNo(&s.ctx), 3u);  // on the sequence's last character
  EXPECT_EQ(std::basic_string<WCHAR>(s.ctx.pszAlphaUnTranslated, s.ctx.nAlphaLenUnTranslated), QEL_W("x41"));

  Scanner n(0);
  n.newLine(QEL_W("ab 0x10;"));
  n.ctx.nColumnNo = 3;
  SymScanNumber(&n.ctx);
  EXPECT_EQ(SymGetSym(&n.ctx), -1);
  EXPECT_EQ(SymGetShort(&n.ctx), 16);
  EXPECT_EQ(SymGetColumnNo(&n.ctx), 7u);

  Scanner q(0);
  q.newLine(QEL_W("<a\\tb> c"));
  q.ctx.chPendingQuote = u'>';
  SymScanString(&q.ctx);
  EXPECT_EQ(std::basic_string<WCHAR>(SymGetAlpha(&q.ctx)), QEL_W("a\tb"));
  EXPECT_EQ(std::basic_string<WCHAR>(SymGetAlphaUnTranslated(&q.ctx)), QEL_W("a\\tb"));
  EXPECT_EQ(SymGetColumnNo(&q.ctx), 6u);
  EXPECT_EQ(SymGetSym(&q.ctx), -98);  // no symbol is set
}

}  // namespace
