/* The scanner frame, operators of both dialects, identifiers, keywords,
   the comment filter, descriptions and the record's set-up. */
#include <gtest/gtest.h>

#include "frame/Heap.h"
#include "scanner/ScannerFixture.h"

namespace {

using qel::test::Scanner;
using qel::test::Symbol;

struct LineCase {
  LONG mode;
  std::u16string line;
  std::vector<Symbol> expected;
};

void expectLines(const std::vector<LineCase>& cases) {
  for (const LineCase& c : cases) {
    Scanner s(c.mode);
    EXPECT_EQ(s.scan(c.line), c.expected) << "mode " << c.mode;
  }
}

TEST(ScannerCLike, OperatorsAndIdentifiers) {
  // clang-format off
  expectLines({
      {0,
       u"a+=b->c",
       {{-8, u"a", 1}, {-22, u"+=", 3}, {-8, u"b", 4}, {-60, u"->", 6}, {-8, u"c", 7}, {-98, u"", 7}}},
      {0, u"x <<= 2", {{-8, u"x", 1}, {-29, u"<<=", 5}, {-1, u"2", 7}, {-98, u"", 7}}},
      {0, u"a<b", {{-8, u"a", 1}, {60, u"<", 2}, {-8, u"b", 3}, {-98, u"", 3}}},
      {0, u"!", {{33, u"!", 1}, {-98, u"", 1}}},
      {0,
       u"!= %= % && &= & *= * ++ += + -- -= -> -",
       {{-11, u"!=", 2},
        {-27, u"%=", 5}, {37, u"%", 7}, {-50, u"&&", 10}, {-24, u"&=", 13}, {38, u"&", 15}, {-21, u"*=", 18},
        {42, u"*", 20}, {-40, u"++", 23}, {-22, u"+=", 26}, {43, u"+", 28}, {-41, u"--", 31},
        {-23, u"-=", 34}, {-60, u"->", 37}, {45, u"-", 39}, {-98, u"", 39}}},
      {0,
       u"/= / :: : << <= >>= >> >= > == = ^= ^ |= || | ~= ~",
       {{-20, u"/=", 2},  {47, u"/", 4},     {-44, u"::", 7},  {58, u":", 9},    {-42, u"<<", 12},
        {-12, u"<=", 15}, {-30, u">>=", 19}, {-43, u">>", 22}, {-13, u">=", 25}, {62, u">", 27},
        {-10, u"==", 30}, {61, u"=", 32},    {-26, u"^=", 35}, {94, u"^", 37},   {-25, u"|=", 40},
        {-51, u"||", 43}, {124, u"|", 45},   {-28, u"~=", 48}, {126, u"~", 50},  {-98, u"", 50}}},
      // Longest match from the left, one rule at a time.
      {0, u"a+++b", {{-8, u"a", 1}, {-40, u"++", 3}, {43, u"+", 4}, {-8, u"b", 5}, {-98, u"", 5}}},
      {0, u"<<==", {{-29, u"<<=", 3}, {61, u"=", 4}, {-98, u"", 4}}},
      {0, u"*/", {{-71, u"*/", 2}, {-98, u"", 2}}},
      {0,
       u".(),;?#$@`",
       {{46, u".", 1},
        {40, u"(", 2}, {41, u")", 3}, {44, u",", 4}, {59, u";", 5}, {63, u"?", 6}, {35, u"#", 7},
        {36, u"$", 8}, {64, u"@", 9}, {96, u"`", 10}, {-98, u"", 10}}},
      {2, u"a<<=b", {{-8, u"a", 1}, {-29, u"<<=", 4}, {-8, u"b", 5}, {-98, u"", 5}}},
      // Names: letters, digits and '_'; a digit never starts one.
      {0, u"_a1 B_2 9z", {{-8, u"_a1", 3}, {-8, u"B_2", 7}, {-1, u"9", 9}, {-8, u"z", 10}, {-98, u"", 10}}},
      // Blanks, 0x1A and Unicode spaces are skipped; other characters from
      // 127 up are symbols of their own code.
      {0,
       u"\t\x1A\u00A0\u3000a\u00E4\u007F",
       {{-8, u"a", 5}, {228, u"\u00E4", 6}, {127, u"\u007F", 7}, {-98, u"", 7}}},
      {0, u"", {{-98, u"", 0}}},
      {0, u"   ", {{-98, u"", 3}}},
  });
  // clang-format on
}

TEST(ScannerDotted, OperatorsWordsAndNames) {
  // clang-format off
  expectLines({
      {1, u"a .and. b", {{-8, u"a", 1}, {-50, u".and.", 7}, {-8, u"b", 9}, {-98, u"", 9}}},
      {1, u"x <> y", {{-8, u"x", 1}, {-11, u"<>", 4}, {-8, u"y", 6}, {-98, u"", 6}}},
      {1,
       u"x = y == z",
       {{-8, u"x", 1}, {-10, u"=", 3}, {-8, u"y", 5}, {-10, u"==", 8}, {-8, u"z", 10}, {-98, u"", 10}}},
      {1,
       u"!= ! <= < >= > ",
       {{-11, u"!=", 2},
        {33, u"!", 4}, {-12, u"<=", 7}, {60, u"<", 9}, {-13, u">=", 12}, {62, u">", 14}, {-98, u"", 15}}},
      {3,
       u".Or. .NOT. .xOr. .AND.",
       {{-51, u".Or.", 4}, {33, u".NOT.", 10}, {94, u".xOr.", 16}, {-50, u".AND.", 22}, {-98, u"", 22}}},
      // No comments, no compound operators in this dialect.
      {3,
       u"/*+-*/()",
       {{47, u"/", 1},
        {42, u"*", 2}, {43, u"+", 3}, {45, u"-", 4}, {42, u"*", 5}, {47, u"/", 6}, {40, u"(", 7},
        {41, u")", 8}, {-98, u"", 8}}},
      {1, u".an b", {{46, u".", 1}, {-8, u"an", 3}, {-8, u"b", 5}, {-98, u"", 5}}},
      {1, u".AND b", {{46, u".", 1}, {-50, u"AND", 4}, {-8, u"b", 6}, {-98, u"", 6}}},
      {1, u".5", {{46, u".", 1}, {-1, u"5", 2}, {-98, u"", 2}}},
      {1, u"name$x", {{-8, u"name$", 5}, {-8, u"x", 6}, {-98, u"", 6}}},
      {1, u"@var", {{-8, u"@var", 4}, {-98, u"", 4}}},
      {3, u"@var", {{64, u"@", 1}, {-8, u"var", 4}, {-98, u"", 4}}},
      {3, u"a$", {{-8, u"a", 1}, {36, u"$", 2}, {-98, u"", 2}}},
      // German letters continue a name in mode 1 only, and never start one.
      {1,
       u"Stra\u00DFe \u00E4x",
       {{-8, u"Stra\u00DFe", 6}, {228, u"\u00E4", 8}, {-8, u"x", 9}, {-98, u"", 9}}},
      {3, u"Stra\u00DFe", {{-8, u"Stra", 4}, {223, u"\u00DF", 5}, {-8, u"e", 6}, {-98, u"", 6}}},
  });
  // clang-format on
}

TEST(ScannerDotted, TruthValues) {
  struct Case {
    std::u16string line;
    LONG value;
  };
  for (const Case& c : std::vector<Case>{{u".t.", 1}, {u".T.", 1}, {u".f.", 0}, {u".F.", 0}}) {
    Scanner s(1);
    s.ctx.sShort = s.ctx.lLong = 7;
    s.ctx.dDouble = 7.0;
    s.newLine(c.line);
    EXPECT_EQ(s.next(), (Symbol{-3, c.line, 3}));
    EXPECT_EQ(SymGetShort(&s.ctx), c.value);
    EXPECT_EQ(SymGetUShort(&s.ctx), c.value);
    EXPECT_EQ(SymGetLong(&s.ctx), c.value);
    EXPECT_EQ(SymGetULong(&s.ctx), ULONG(c.value));
    EXPECT_EQ(SymGetDouble(&s.ctx), double(c.value));
  }
}

TEST(ScannerKeywords, LookupByModeAndCase) {
  struct Case {
    LONG mode;
    ULONG upper;
    std::u16string line;
    std::vector<LONG> codes;
  };
  const std::vector<Case> cases{
      {3, 0, u"and or xor not", {-50, -51, 94, 33, -98}},
      {3, 0, u"AND OR XOR NOT", {-50, -51, 94, 33, -98}},
      {3, 0, u"And", {-8, -98}},
      {3, 1, u"And oR xOr Not", {-50, -51, 94, 33, -98}},
      {1, 0, u"a and b", {-8, -50, -8, -98}},
      {0, 0, u"and", {-8, -98}},
      {2, 1, u"AND", {-8, -98}},
      {3, 0, u"andy", {-8, -98}},
  };
  for (const Case& c : cases) {
    Scanner s(c.mode, 64, 64, c.upper);
    EXPECT_EQ(s.codes(c.line), c.codes) << c.mode;
  }
}

TEST(ScannerKeywords, HostKeywordsAndUpperCaseCopy) {
  static const WCHAR kIf[] = u"if";
  static const WCHAR kWhile[] = u"WHILE";
  const SymKeyword ifKeyword{kIf, 1000};
  const SymKeyword whileKeyword{kWhile, 1001};
  Scanner exact(0);
  ASSERT_EQ(SymSetKeyword(&exact.ctx, &ifKeyword), 0u);
  EXPECT_EQ(exact.codes(u"if If iff"), (std::vector<LONG>{1000, -8, -8, -98}));

  Scanner upper(0, 64, 64, 1);
  ASSERT_EQ(SymSetKeyword(&upper.ctx, &whileKeyword), 0u);
  upper.newLine(u"wHile x");
  EXPECT_EQ(upper.next(), (Symbol{1001, u"wHile", 5}));
  EXPECT_EQ(std::u16string(upper.ctx.pszAlphaUpper), u"WHILE");
  EXPECT_EQ(upper.next(), (Symbol{-8, u"x", 7}));
  EXPECT_EQ(std::u16string(upper.ctx.pszAlphaUpper), u"X");
  // Only identifiers fill the upper-case copy; literals alone fill the raw text.
  EXPECT_EQ(upper.next().code, -98);
  EXPECT_EQ(upper.ctx.pszAlphaUpper[0], 0);
  EXPECT_EQ(SymGetAlphaLenUnTranslated(&upper.ctx), 0u);
}

TEST(ScannerIdentifiers, LengthLimits) {
  Scanner limited(0, 4, 64);
  EXPECT_EQ(limited.scan(u"abcdefg"),
            (std::vector<Symbol>{{-8, u"abcd", 4}, {-8, u"efg", 7}, {-98, u"", 7}}));
  EXPECT_EQ(limited.ctx.nMaxIdentLen, 4u);
  // The limit is the smaller of the two lengths.
  Scanner small(0, 100, 3);
  EXPECT_EQ(small.ctx.nMaxIdentLen, 3u);
  EXPECT_EQ(small.scan(u"abcdefg"),
            (std::vector<Symbol>{{-8, u"abc", 3}, {-8, u"def", 6}, {-8, u"g", 7}, {-98, u"", 7}}));
  // Dotted modes are cut at the buffer length and go on with a new name.
  Scanner dotted(1, 2, 3);
  EXPECT_EQ(dotted.scan(u"abcd$"), (std::vector<Symbol>{{-8, u"abc", 3}, {-8, u"d$", 5}, {-98, u"", 5}}));
}

TEST(ScannerIdentifiers, VeryLongLine) {
  std::u16string line;
  for (int i = 0; i < 20000; ++i) line += u"name_" + std::u16string(1, char16_t(u'a' + i % 26)) + u" + ";
  line += u"x";
  Scanner s(0, 64, 64);
  std::vector<Symbol> symbols = s.scan(line);
  ASSERT_EQ(symbols.size(), 40002u);
  EXPECT_EQ(symbols[2 * 19999],
            (Symbol{-8, u"name_" + std::u16string(1, char16_t(u'a' + 19999 % 26)), 19999 * 9 + 6}));
  EXPECT_EQ(symbols[40000], (Symbol{-8, u"x", ULONG(line.size())}));

  // One token far longer than the buffers: cut into buffer-sized names.
  Scanner big(0, 1000, 1000);
  std::vector<Symbol> cut = big.scan(std::u16string(2500, u'q'));
  ASSERT_EQ(cut.size(), 4u);
  EXPECT_EQ(cut[0], (Symbol{-8, std::u16string(1000, u'q'), 1000}));
  EXPECT_EQ(cut[2], (Symbol{-8, std::u16string(500, u'q'), 2500}));
}

TEST(ScannerFrame, EndOfLineAndEmbeddedZero) {
  Scanner s(0);
  const std::u16string withZero(u"ab\0cd", 5);
  s.newLine(withZero);
  EXPECT_EQ(s.next(), (Symbol{-8, u"ab", 2}));
  // The line ends at the first NUL, and the scanner stays on it.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s.next(), (Symbol{-98, u"", 2}));
  s.newLine(u"cd");
  EXPECT_EQ(s.next(), (Symbol{-8, u"cd", 2}));
}

TEST(ScannerFrame, SurrogatePairsAreTwoSymbols) {
  Scanner s(1);
  EXPECT_EQ(
      s.scan(u"x\U0001F600y"),
      (std::vector<Symbol>{
          {-8, u"x", 1}, {0xD83D, u"\xD83D", 2}, {0xDE00, u"\xDE00", 3}, {-8, u"y", 4}, {-98, u"", 4}}));
  Scanner str(0);
  EXPECT_EQ(str.scan(u"\"\U0001F600\""), (std::vector<Symbol>{{-6, u"\U0001F600", 4}, {-98, u"", 4}}));
}

TEST(ScannerFrame, UnknownModeReadsNothing) {
  Scanner s(4);
  s.newLine(u"abc");
  EXPECT_EQ(SymGetNextSymAll(&s.ctx), 0);
  EXPECT_EQ(SymGetNextSym(&s.ctx), -98);  // nSym as SymInit left it
  EXPECT_EQ(SymGetColumnNo(&s.ctx), 0u);
}

struct CommentCase {
  std::vector<std::u16string> lines;
  std::vector<Symbol> expected;
};

TEST(ScannerComments, FilterAcrossLines) {
  const std::vector<CommentCase> cases{
      {{u"a /* x", u"y */ b"}, {{-8, u"a", 1}, {-98, u"", 6}, {-8, u"b", 6}, {-98, u"", 6}}},
      {{u"a // b"}, {{-8, u"a", 1}, {-98, u"", 6}}},
      {{u"/* /* */ x */ y"}, {{-8, u"y", 15}, {-98, u"", 15}}},
      {{u"x */ y"}, {{-8, u"x", 1}, {-71, u"*/", 4}, {-8, u"y", 6}, {-98, u"", 6}}},
      // A line comment ends with its line; openers inside it count for nothing.
      {{u"// /* a", u"b"}, {{-98, u"", 7}, {-8, u"b", 1}, {-98, u"", 1}}},
      {{u"// a */ b", u"c"}, {{-98, u"", 9}, {-8, u"c", 1}, {-98, u"", 1}}},
      // Inside a block comment "//" is ignored, so the closer still counts.
      {{u"/* // */ z"}, {{-8, u"z", 10}, {-98, u"", 10}}},
      // A quote inside a comment ends with the line instead of running on.
      {{u"/* don't", u"x */ y"}, {{-98, u"", 8}, {-8, u"y", 6}, {-98, u"", 6}}},
      {{u"a // it's \"open", u"b"}, {{-8, u"a", 1}, {-98, u"", 15}, {-8, u"b", 1}, {-98, u"", 1}}},
  };
  for (const CommentCase& c : cases) {
    Scanner s(0);
    std::vector<Symbol> got;
    for (const std::u16string& line : c.lines) {
      s.newLine(line);
      do got.push_back(s.next());
      while (got.back().code != -98 && got.size() < 100);
    }
    EXPECT_EQ(got, c.expected) << got.size();
    EXPECT_EQ(s.ctx.nCommentLevel, 0u);
  }
}

TEST(ScannerComments, NextSymAllShowsCommentSymbols) {
  Scanner s(0);
  EXPECT_EQ(s.codes(u"a /* b */ // c", true), (std::vector<LONG>{-8, -70, -8, -71, -72, -8, -98}));
  EXPECT_EQ(s.ctx.nCommentLevel, 0u);
  // The comment state survives SymReset and new lines.
  EXPECT_EQ(s.codes(u"/* a"), (std::vector<LONG>{-98}));
  SymReset(&s.ctx);
  EXPECT_EQ(s.ctx.nCommentLevel, 1u);
  EXPECT_EQ(s.codes(u"*/ b"), (std::vector<LONG>{-8, -98}));
}

TEST(ScannerDescriptions, EveryTextAndUnknownCodes) {
  // clang-format off
  const std::vector<std::pair<LONG, std::u16string>> table{{-1, u"SHORT number"},
                                                           {-2, u"UNSIGNED SHORT number"},
                                                           {-3, u"LONG number"},
                                                           {-4, u"UNSIGNED LONG number"},
                                                           {-5, u"DOUBLE number"}, {-6, u"STRING"},
                                                           {-7, u"CHARACTER"}, {-8, u"identifier"},
                                                           {-10, u"=="}, {-11, u"!="}, {-12, u"<="},
                                                           {-13, u">="}, {-20, u"/="}, {-21, u"*="},
                                                           {-22, u"+="}, {-23, u"-="}, {-24, u"&="},
                                                           {-25, u"|="}, {-26, u"^="}, {-27, u"%="},
                                                           {-28, u"!="}, {-29, u"<<="}, {-30, u">>="},
                                                           {-40, u"++"}, {-41, u"--"}, {-42, u"<<"},
                                                           {-43, u">>"}, {-44, u"::"}, {-50, u"&&"},
                                                           {-51, u"||"}, {-60, u"->"}, {-70, u"/*"},
                                                           {-71, u"*/"}, {-72, u"//"}, {-98, u"EOL"},
                                                           {-99, u"EOF"}, {-200, u"*error* in number"},
                                                           {-201, u"*error* in string"},
                                                           {-202, u"*error* in character"}, {43, u"43"},
                                                           {0, u"0"}, {-9, u"-9"}, {-100, u"-100"},
                                                           {2147483647, u"2147483647"},
                                                           {-2147483647 - 1, u"-2147483648"}};
  for (const auto& [code, text] : table) EXPECT_EQ(std::u16string(SymGetSymDescription(code)), text) << code;
  // clang-format on
}

TEST(ScannerInit, FieldsAndOutOfMemory) {
  SymContext s{};
  ASSERT_EQ(SymInit(&s, 10, 20, 1, 3), 0u);
  EXPECT_EQ(s.nSym, -98);
  EXPECT_EQ(s.nMaxIdentLen, 10u);
  EXPECT_EQ(s.nMaxAlphaLen, 20u);
  EXPECT_EQ(s.pszLine, nullptr);
  EXPECT_EQ(s.nEscapeMode, 0u);
  EXPECT_EQ(s.bUpperCaseKeywords, 1u);
  EXPECT_EQ(s.chPendingQuote, 0);
  EXPECT_EQ(BTCount(s.pKeywords), 8);
  SymRelease(&s);

  // Every allocation of SymInit (tree, three buffers, eight keywords) and of
  // SymSetKeyword reports 0x8007000E when it fails, and leaks nothing.
  for (long n = 1; n <= 13; ++n) {
    SymContext f{};
    qel::heapFailAt(n);
    DWORD rc = SymInit(&f, 10, 20, 0, 1);
    qel::heapFailAt(0);
    EXPECT_EQ(rc, n <= 12 ? 0x8007000Eu : 0u) << n;
    if (rc == 0 || f.pKeywords) SymRelease(&f);
  }
  SymContext k{};
  ASSERT_EQ(SymInit(&k, 10, 20, 0, 0), 0u);
  static const WCHAR kWord[] = u"w";
  const SymKeyword entry{kWord, 5};
  qel::heapFailAt(1);
  EXPECT_EQ(SymSetKeyword(&k, &entry), 0x8007000Eu);
  qel::heapFailAt(0);
  EXPECT_EQ(SymSetKeyword(&k, &entry), 0u);
  SymRelease(&k);
}

}  // namespace
