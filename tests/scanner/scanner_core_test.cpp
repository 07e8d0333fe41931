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
  std::basic_string<WCHAR> line;
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
       QEL_W("a+=b->c"),
       {{-8, QEL_W("a"), 1}, {-22, QEL_W("+="), 3}, {-8, QEL_W("b"), 4}, {-60, QEL_W("->"), 6}, {-8, QEL_W("c"), 7}, {-98, QEL_W(""), 7}}},
      {0, QEL_W("x <<= 2"), {{-8, QEL_W("x"), 1}, {-29, QEL_W("<<="), 5}, {-1, QEL_W("2"), 7}, {-98, QEL_W(""), 7}}},
      {0, QEL_W("a<b"), {{-8, QEL_W("a"), 1}, {60, QEL_W("<"), 2}, {-8, QEL_W("b"), 3}, {-98, QEL_W(""), 3}}},
      {0, QEL_W("!"), {{33, QEL_W("!"), 1}, {-98, QEL_W(""), 1}}},
      {0,
       QEL_W("!= %= % && &= & *= * ++ += + -- -= -> -"),
       {{-11, QEL_W("!="), 2},
        {-27, QEL_W("%="), 5}, {37, QEL_W("%"), 7}, {-50, QEL_W("&&"), 10}, {-24, QEL_W("&="), 13}, {38, QEL_W("&"), 15}, {-21, QEL_W("*="), 18},
        {42, QEL_W("*"), 20}, {-40, QEL_W("++"), 23}, {-22, QEL_W("+="), 26}, {43, QEL_W("+"), 28}, {-41, QEL_W("--"), 31},
        {-23, QEL_W("-="), 34}, {-60, QEL_W("->"), 37}, {45, QEL_W("-"), 39}, {-98, QEL_W(""), 39}}},
      {0,
       QEL_W("/= / :: : << <= >>= >> >= > == = ^= ^ |= || | ~= ~"),
       {{-20, QEL_W("/="), 2},  {47, QEL_W("/"), 4},     {-44, QEL_W("::"), 7},  {58, QEL_W(":"), 9},    {-42, QEL_W("<<"), 12},
        {-12, QEL_W("<="), 15}, {-30, QEL_W(">>="), 19}, {-43, QEL_W(">>"), 22}, {-13, QEL_W(">="), 25}, {62, QEL_W(">"), 27},
        {-10, QEL_W("=="), 30}, {61, QEL_W("="), 32},    {-26, QEL_W("^="), 35}, {94, QEL_W("^"), 37},   {-25, QEL_W("|="), 40},
        {-51, QEL_W("||"), 43}, {124, QEL_W("|"), 45},   {-28, QEL_W("~="), 48}, {126, QEL_W("~"), 50},  {-98, QEL_W(""), 50}}},
      // Longest match from the left, one rule at a time.
      {0, QEL_W("a+++b"), {{-8, QEL_W("a"), 1}, {-40, QEL_W("++"), 3}, {43, QEL_W("+"), 4}, {-8, QEL_W("b"), 5}, {-98, QEL_W(""), 5}}},
      {0, QEL_W("<<=="), {{-29, QEL_W("<<="), 3}, {61, QEL_W("="), 4}, {-98, QEL_W(""), 4}}},
      {0, QEL_W("*/"), {{-71, QEL_W("*/"), 2}, {-98, QEL_W(""), 2}}},
      {0,
       QEL_W(".(),;?#$@`"),
       {{46, QEL_W("."), 1},
        {40, QEL_W("("), 2}, {41, QEL_W(")"), 3}, {44, QEL_W(","), 4}, {59, QEL_W(";"), 5}, {63, QEL_W("?"), 6}, {35, QEL_W("#"), 7},
        {36, QEL_W("$"), 8}, {64, QEL_W("@"), 9}, {96, QEL_W("`"), 10}, {-98, QEL_W(""), 10}}},
      {2, QEL_W("a<<=b"), {{-8, QEL_W("a"), 1}, {-29, QEL_W("<<="), 4}, {-8, QEL_W("b"), 5}, {-98, QEL_W(""), 5}}},
      // Names: letters, digits and '_'; a digit never starts one.
      {0, QEL_W("_a1 B_2 9z"), {{-8, QEL_W("_a1"), 3}, {-8, QEL_W("B_2"), 7}, {-1, QEL_W("9"), 9}, {-8, QEL_W("z"), 10}, {-98, QEL_W(""), 10}}},
      // Blanks, 0x1A and Unicode spaces are skipped; other characters from
      // 127 up are symbols of their own code.
      {0,
       QEL_W("\t\x1A\u00A0\u3000a\u00E4\u007F"),
       {{-8, QEL_W("a"), 5}, {228, QEL_W("\u00E4"), 6}, {127, QEL_W("\u007F"), 7}, {-98, QEL_W(""), 7}}},
      {0, QEL_W(""), {{-98, QEL_W(""), 0}}},
      {0, QEL_W("   "), {{-98, QEL_W(""), 3}}},
  });
  // clang-format on
}

TEST(ScannerDotted, OperatorsWordsAndNames) {
  // clang-format off
  expectLines({
      {1, QEL_W("a .and. b"), {{-8, QEL_W("a"), 1}, {-50, QEL_W(".and."), 7}, {-8, QEL_W("b"), 9}, {-98, QEL_W(""), 9}}},
      {1, QEL_W("x <> y"), {{-8, QEL_W("x"), 1}, {-11, QEL_W("<>"), 4}, {-8, QEL_W("y"), 6}, {-98, QEL_W(""), 6}}},
      {1,
       QEL_W("x = y == z"),
       {{-8, QEL_W("x"), 1}, {-10, QEL_W("="), 3}, {-8, QEL_W("y"), 5}, {-10, QEL_W("=="), 8}, {-8, QEL_W("z"), 10}, {-98, QEL_W(""), 10}}},
      {1,
       QEL_W("!= ! <= < >= > "),
       {{-11, QEL_W("!="), 2},
        {33, QEL_W("!"), 4}, {-12, QEL_W("<="), 7}, {60, QEL_W("<"), 9}, {-13, QEL_W(">="), 12}, {62, QEL_W(">"), 14}, {-98, QEL_W(""), 15}}},
      {3,
       QEL_W(".Or. .NOT. .xOr. .AND."),
       {{-51, QEL_W(".Or."), 4}, {33, QEL_W(".NOT."), 10}, {94, QEL_W(".xOr."), 16}, {-50, QEL_W(".AND."), 22}, {-98, QEL_W(""), 22}}},
      // No comments, no compound operators in this dialect.
      {3,
       QEL_W("/*+-*/()"),
       {{47, QEL_W("/"), 1},
        {42, QEL_W("*"), 2}, {43, QEL_W("+"), 3}, {45, QEL_W("-"), 4}, {42, QEL_W("*"), 5}, {47, QEL_W("/"), 6}, {40, QEL_W("("), 7},
        {41, QEL_W(")"), 8}, {-98, QEL_W(""), 8}}},
      {1, QEL_W(".an b"), {{46, QEL_W("."), 1}, {-8, QEL_W("an"), 3}, {-8, QEL_W("b"), 5}, {-98, QEL_W(""), 5}}},
      {1, QEL_W(".AND b"), {{46, QEL_W("."), 1}, {-50, QEL_W("AND"), 4}, {-8, QEL_W("b"), 6}, {-98, QEL_W(""), 6}}},
      {1, QEL_W(".5"), {{46, QEL_W("."), 1}, {-1, QEL_W("5"), 2}, {-98, QEL_W(""), 2}}},
      {1, QEL_W("name$x"), {{-8, QEL_W("name$"), 5}, {-8, QEL_W("x"), 6}, {-98, QEL_W(""), 6}}},
      {1, QEL_W("@var"), {{-8, QEL_W("@var"), 4}, {-98, QEL_W(""), 4}}},
      {3, QEL_W("@var"), {{64, QEL_W("@"), 1}, {-8, QEL_W("var"), 4}, {-98, QEL_W(""), 4}}},
      {3, QEL_W("a$"), {{-8, QEL_W("a"), 1}, {36, QEL_W("$"), 2}, {-98, QEL_W(""), 2}}},
      // German letters continue a name in mode 1 only, and never start one.
      {1,
       QEL_W("Stra\u00DFe \u00E4x"),
       {{-8, QEL_W("Stra\u00DFe"), 6}, {228, QEL_W("\u00E4"), 8}, {-8, QEL_W("x"), 9}, {-98, QEL_W(""), 9}}},
      {3, QEL_W("Stra\u00DFe"), {{-8, QEL_W("Stra"), 4}, {223, QEL_W("\u00DF"), 5}, {-8, QEL_W("e"), 6}, {-98, QEL_W(""), 6}}},
  });
  // clang-format on
}

TEST(ScannerDotted, TruthValues) {
  struct Case {
    std::basic_string<WCHAR> line;
    LONG value;
  };
  for (const Case& c :
       std::vector<Case>{{QEL_W(".t."), 1}, {QEL_W(".T."), 1}, {QEL_W(".f."), 0}, {QEL_W(".F."), 0}}) {
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
    std::basic_string<WCHAR> line;
    std::vector<LONG> codes;
  };
  const std::vector<Case> cases{
      {3, 0, QEL_W("and or xor not"), {-50, -51, 94, 33, -98}},
      {3, 0, QEL_W("AND OR XOR NOT"), {-50, -51, 94, 33, -98}},
      {3, 0, QEL_W("And"), {-8, -98}},
      {3, 1, QEL_W("And oR xOr Not"), {-50, -51, 94, 33, -98}},
      {1, 0, QEL_W("a and b"), {-8, -50, -8, -98}},
      {0, 0, QEL_W("and"), {-8, -98}},
      {2, 1, QEL_W("AND"), {-8, -98}},
      {3, 0, QEL_W("andy"), {-8, -98}},
  };
  for (const Case& c : cases) {
    Scanner s(c.mode, 64, 64, c.upper);
    EXPECT_EQ(s.codes(c.line), c.codes) << c.mode;
  }
}

TEST(ScannerKeywords, HostKeywordsAndUpperCaseCopy) {
  static const WCHAR kIf[] = QEL_W("if");
  static const WCHAR kWhile[] = QEL_W("WHILE");
  const SymKeyword ifKeyword{kIf, 1000};
  const SymKeyword whileKeyword{kWhile, 1001};
  Scanner exact(0);
  ASSERT_EQ(SymSetKeyword(&exact.ctx, &ifKeyword), 0u);
  EXPECT_EQ(exact.codes(QEL_W("if If iff")), (std::vector<LONG>{1000, -8, -8, -98}));

  Scanner upper(0, 64, 64, 1);
  ASSERT_EQ(SymSetKeyword(&upper.ctx, &whileKeyword), 0u);
  upper.newLine(QEL_W("wHile x"));
  EXPECT_EQ(upper.next(), (Symbol{1001, QEL_W("wHile"), 5}));
  EXPECT_EQ(std::basic_string<WCHAR>(upper.ctx.pszAlphaUpper), QEL_W("WHILE"));
  EXPECT_EQ(upper.next(), (Symbol{-8, QEL_W("x"), 7}));
  EXPECT_EQ(std::basic_string<WCHAR>(upper.ctx.pszAlphaUpper), QEL_W("X"));
  // Only identifiers fill the upper-case copy; literals alone fill the raw text.
  EXPECT_EQ(upper.next().code, -98);
  EXPECT_EQ(upper.ctx.pszAlphaUpper[0], 0);
  EXPECT_EQ(SymGetAlphaLenUnTranslated(&upper.ctx), 0u);
}

TEST(ScannerIdentifiers, LengthLimits) {
  Scanner limited(0, 4, 64);
  EXPECT_EQ(limited.scan(QEL_W("abcdefg")),
            (std::vector<Symbol>{{-8, QEL_W("abcd"), 4}, {-8, QEL_W("efg"), 7}, {-98, QEL_W(""), 7}}));
  EXPECT_EQ(limited.ctx.nMaxIdentLen, 4u);
  // The limit is the smaller of the two lengths.
  Scanner small(0, 100, 3);
  EXPECT_EQ(small.ctx.nMaxIdentLen, 3u);
  EXPECT_EQ(small.scan(QEL_W("abcdefg")),
            (std::vector<Symbol>{
                {-8, QEL_W("abc"), 3}, {-8, QEL_W("def"), 6}, {-8, QEL_W("g"), 7}, {-98, QEL_W(""), 7}}));
  // Dotted modes are cut at the buffer length and go on with a new name.
  Scanner dotted(1, 2, 3);
  EXPECT_EQ(dotted.scan(QEL_W("abcd$")),
            (std::vector<Symbol>{{-8, QEL_W("abc"), 3}, {-8, QEL_W("d$"), 5}, {-98, QEL_W(""), 5}}));
}

TEST(ScannerIdentifiers, VeryLongLine) {
  std::basic_string<WCHAR> line;
  for (int i = 0; i < 20000; ++i)
    line += QEL_W("name_") + std::basic_string<WCHAR>(1, WCHAR(u'a' + i % 26)) + QEL_W(" + ");
  line += QEL_W("x");
  Scanner s(0, 64, 64);
  std::vector<Symbol> symbols = s.scan(line);
  ASSERT_EQ(symbols.size(), 40002u);
  EXPECT_EQ(
      symbols[2 * 19999],
      (Symbol{-8, QEL_W("name_") + std::basic_string<WCHAR>(1, WCHAR(u'a' + 19999 % 26)), 19999 * 9 + 6}));
  EXPECT_EQ(symbols[40000], (Symbol{-8, QEL_W("x"), ULONG(line.size())}));

  // One token far longer than the buffers: cut into buffer-sized names.
  Scanner big(0, 1000, 1000);
  std::vector<Symbol> cut = big.scan(std::basic_string<WCHAR>(2500, u'q'));
  ASSERT_EQ(cut.size(), 4u);
  EXPECT_EQ(cut[0], (Symbol{-8, std::basic_string<WCHAR>(1000, u'q'), 1000}));
  EXPECT_EQ(cut[2], (Symbol{-8, std::basic_string<WCHAR>(500, u'q'), 2500}));
}

TEST(ScannerFrame, EndOfLineAndEmbeddedZero) {
  Scanner s(0);
  const std::basic_string<WCHAR> withZero(QEL_W("ab\0cd"), 5);
  s.newLine(withZero);
  EXPECT_EQ(s.next(), (Symbol{-8, QEL_W("ab"), 2}));
  // The line ends at the first NUL, and the scanner stays on it.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s.next(), (Symbol{-98, QEL_W(""), 2}));
  s.newLine(QEL_W("cd"));
  EXPECT_EQ(s.next(), (Symbol{-8, QEL_W("cd"), 2}));
}

TEST(ScannerFrame, SurrogatePairsAreTwoSymbols) {
  Scanner s(1);
  EXPECT_EQ(s.scan(QEL_W("x\U0001F600y")), (std::vector<Symbol>{{-8, QEL_W("x"), 1},
                                                                {0xD83D, QEL_W("\xD83D"), 2},
                                                                {0xDE00, QEL_W("\xDE00"), 3},
                                                                {-8, QEL_W("y"), 4},
                                                                {-98, QEL_W(""), 4}}));
  Scanner str(0);
  EXPECT_EQ(str.scan(QEL_W("\"\U0001F600\"")),
            (std::vector<Symbol>{{-6, QEL_W("\U0001F600"), 4}, {-98, QEL_W(""), 4}}));
}

TEST(ScannerFrame, UnknownModeReadsNothing) {
  Scanner s(4);
  s.newLine(QEL_W("abc"));
  EXPECT_EQ(SymGetNextSymAll(&s.ctx), 0);
  EXPECT_EQ(SymGetNextSym(&s.ctx), -98);  // nSym as SymInit left it
  EXPECT_EQ(SymGetColumnNo(&s.ctx), 0u);
}

struct CommentCase {
  std::vector<std::basic_string<WCHAR>> lines;
  std::vector<Symbol> expected;
};

TEST(ScannerComments, FilterAcrossLines) {
  const std::vector<CommentCase> cases{
      {{QEL_W("a /* x"), QEL_W("y */ b")},
       {{-8, QEL_W("a"), 1}, {-98, QEL_W(""), 6}, {-8, QEL_W("b"), 6}, {-98, QEL_W(""), 6}}},
      {{QEL_W("a // b")}, {{-8, QEL_W("a"), 1}, {-98, QEL_W(""), 6}}},
      {{QEL_W("/* /* */ x */ y")}, {{-8, QEL_W("y"), 15}, {-98, QEL_W(""), 15}}},
      {{QEL_W("x */ y")},
       {{-8, QEL_W("x"), 1}, {-71, QEL_W("*/"), 4}, {-8, QEL_W("y"), 6}, {-98, QEL_W(""), 6}}},
      // A line comment ends with its line; openers inside it count for nothing.
      {{QEL_W("// /* a"), QEL_W("b")}, {{-98, QEL_W(""), 7}, {-8, QEL_W("b"), 1}, {-98, QEL_W(""), 1}}},
      {{QEL_W("// a */ b"), QEL_W("c")}, {{-98, QEL_W(""), 9}, {-8, QEL_W("c"), 1}, {-98, QEL_W(""), 1}}},
      // Inside a block comment "//" is ignored, so the closer still counts.
      {{QEL_W("/* // */ z")}, {{-8, QEL_W("z"), 10}, {-98, QEL_W(""), 10}}},
      // A quote inside a comment ends with the line instead of running on.
      {{QEL_W("/* don't"), QEL_W("x */ y")}, {{-98, QEL_W(""), 8}, {-8, QEL_W("y"), 6}, {-98, QEL_W(""), 6}}},
      {{QEL_W("a // it's \"open"), QEL_W("b")},
       {{-8, QEL_W("a"), 1}, {-98, QEL_W(""), 15}, {-8, QEL_W("b"), 1}, {-98, QEL_W(""), 1}}},
  };
  for (const CommentCase& c : cases) {
    Scanner s(0);
    std::vector<Symbol> got;
    for (const std::basic_string<WCHAR>& line : c.lines) {
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
  EXPECT_EQ(s.codes(QEL_W("a /* b */ // c"), true), (std::vector<LONG>{-8, -70, -8, -71, -72, -8, -98}));
  EXPECT_EQ(s.ctx.nCommentLevel, 0u);
  // The comment state survives SymReset and new lines.
  EXPECT_EQ(s.codes(QEL_W("/* a")), (std::vector<LONG>{-98}));
  SymReset(&s.ctx);
  EXPECT_EQ(s.ctx.nCommentLevel, 1u);
  EXPECT_EQ(s.codes(QEL_W("*/ b")), (std::vector<LONG>{-8, -98}));
}

TEST(ScannerDescriptions, EveryTextAndUnknownCodes) {
  // clang-format off
  const std::vector<std::pair<LONG, std::basic_string<WCHAR>>> table{{-1, QEL_W("SHORT number")},
                                                           {-2, QEL_W("UNSIGNED SHORT number")},
                                                           {-3, QEL_W("LONG number")},
                                                           {-4, QEL_W("UNSIGNED LONG number")},
                                                           {-5, QEL_W("DOUBLE number")}, {-6, QEL_W("STRING")},
                                                           {-7, QEL_W("CHARACTER")}, {-8, QEL_W("identifier")},
                                                           {-10, QEL_W("==")}, {-11, QEL_W("!=")}, {-12, QEL_W("<=")},
                                                           {-13, QEL_W(">=")}, {-20, QEL_W("/=")}, {-21, QEL_W("*=")},
                                                           {-22, QEL_W("+=")}, {-23, QEL_W("-=")}, {-24, QEL_W("&=")},
                                                           {-25, QEL_W("|=")}, {-26, QEL_W("^=")}, {-27, QEL_W("%=")},
                                                           {-28, QEL_W("!=")}, {-29, QEL_W("<<=")}, {-30, QEL_W(">>=")},
                                                           {-40, QEL_W("++")}, {-41, QEL_W("--")}, {-42, QEL_W("<<")},
                                                           {-43, QEL_W(">>")}, {-44, QEL_W("::")}, {-50, QEL_W("&&")},
                                                           {-51, QEL_W("||")}, {-60, QEL_W("->")}, {-70, QEL_W("/*")},
                                                           {-71, QEL_W("*/")}, {-72, QEL_W("//")}, {-98, QEL_W("EOL")},
                                                           {-99, QEL_W("EOF")}, {-200, QEL_W("*error* in number")},
                                                           {-201, QEL_W("*error* in string")},
                                                           {-202, QEL_W("*error* in character")}, {43, QEL_W("43")},
                                                           {0, QEL_W("0")}, {-9, QEL_W("-9")}, {-100, QEL_W("-100")},
                                                           {2147483647, QEL_W("2147483647")},
                                                           {-2147483647 - 1, QEL_W("-2147483648")}};
  for (const auto& [code, text] : table) EXPECT_EQ(std::basic_string<WCHAR>(SymGetSymDescription(code)), text) << code;
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

  // A keyword that cannot be stored (the allocation sweep covers SymInit).
  SymContext k{};
  ASSERT_EQ(SymInit(&k, 10, 20, 0, 0), 0u);
  static const WCHAR kWord[] = QEL_W("w");
  const SymKeyword entry{kWord, 5};
  qel::heapFailAt(1);
  EXPECT_EQ(SymSetKeyword(&k, &entry), 0x8007000Eu);
  qel::heapFailAt(0);
  EXPECT_EQ(SymSetKeyword(&k, &entry), 0u);
  SymRelease(&k);
}

}  // namespace
