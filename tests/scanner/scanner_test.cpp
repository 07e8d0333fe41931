/* The scanner: the symbols of the case file, and what a line of symbols
   cannot show (the record's fields, state across calls, host keywords,
   long input and the workers called directly). */
#include <gtest/gtest.h>

#include <cstdio>
#include <list>

#include "scanner/Symbol.h"
#include "support/CaseFile.h"

namespace {

using qel::test::narrow;
using qel::test::WString;

// A scanner record with its lines, and its symbols rendered as the case
// files write them: code"text"@column, literals with ~"raw text", numbers
// with =value.
class Scanner {
 public:
  explicit Scanner(LONG mode, ULONG identLimit = 64, ULONG textLength = 64, ULONG upper = 0) {
    EXPECT_EQ(SymInit(&ctx, identLimit, textLength, upper, mode), 0u);
  }
  ~Scanner() { SymRelease(&ctx); }
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  void newLine(WString text) {
    lines_.push_back(std::move(text));
    SymNewLine(&ctx, lines_.back().c_str());
  }

  std::string next(bool all = false) {
    code = all ? SymGetNextSymAll(&ctx) : SymGetNextSym(&ctx);
    EXPECT_EQ(code, SymGetSym(&ctx));
    EXPECT_EQ(SymGetAlpha(&ctx)[SymGetAlphaLen(&ctx)], 0);  // terminated at its length
    EXPECT_EQ(ctx.pszAlphaUnTranslated[ctx.nAlphaLenUnTranslated], 0);
    return std::to_string(code) + '"' + narrow({SymGetAlpha(&ctx), SymGetAlphaLen(&ctx)}) + '"' + detail() +
           "@" + std::to_string(SymGetColumnNo(&ctx));
  }

  // The symbols of the line up to and including the end of line; an open
  // literal at the end of the line ends them too.
  std::string rendered(WString text, bool all = false) {
    newLine(std::move(text));
    std::string out;
    for (int guard = 0; guard < 100000; ++guard) {
      out += (out.empty() ? "" : " ") + next(all);
      if (code == SYM_EOL || (ctx.chPendingQuote && ctx.pszLine[ctx.nColumnNo] == 0)) break;
    }
    return out;
  }

  SymContext ctx{};
  LONG code = 0;  // of the last symbol

 private:
  std::string detail() {
    char value[40] = "";
    switch (code) {
      case SYM_SHORT: std::snprintf(value, sizeof value, "=%d", SymGetShort(&ctx)); break;
      case SYM_USHORT: std::snprintf(value, sizeof value, "=%u", SymGetUShort(&ctx)); break;
      case SYM_LONG: std::snprintf(value, sizeof value, "=%ld", long(SymGetLong(&ctx))); break;
      case SYM_ULONG:
        std::snprintf(value, sizeof value, "=%lu", static_cast<unsigned long>(SymGetULong(&ctx)));
        break;
      case SYM_DOUBLE: std::snprintf(value, sizeof value, "=%.17g", SymGetDouble(&ctx)); break;
      case SYM_STRING:
      case SYM_CHARACTER:
      case SYM_ERROR_STRING:
      case SYM_ERROR_CHARACTER:
        return "~\"" + narrow({SymGetAlphaUnTranslated(&ctx), SymGetAlphaLenUnTranslated(&ctx)}) + '"';
    }
    return value;
  }

  std::list<WString> lines_;  // the scanner only points at them
};

struct Options {
  LONG mode = 0;
  ULONG ident = 64, text = 64, upper = 0, escape = 0;
  bool all = false;
};

Options parseOptions(const std::string& field) {
  Options o;
  o.mode = std::stol(field);
  for (size_t at = field.find(','); at != std::string::npos; at = field.find(',', at + 1)) {
    const std::string option = field.substr(at + 1, field.find(',', at + 1) - at - 1);
    const size_t equals = option.find('=');
    const ULONG value = equals == std::string::npos ? 1 : ULONG(std::stoul(option.substr(equals + 1)));
    const std::string name = option.substr(0, equals);
    (name == "ident" ? o.ident : name == "text" ? o.text : name == "upper" ? o.upper : o.escape) = value;
    if (name == "all") o.all = true;
  }
  return o;
}

TEST(Scanner, SymbolsOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("scanner/symbols.txt")) {
    SCOPED_TRACE(c.where);
    const Options o = parseOptions(c[0]);
    Scanner s(o.mode, o.ident, o.text, o.upper);
    s.ctx.nEscapeMode = o.escape;
    std::string got;
    for (size_t line = 1; line + 1 < c.size(); ++line)
      got += (got.empty() ? "" : " ") + s.rendered(qel::test::unescape(c[line]), o.all);
    EXPECT_EQ(got, c.fields.back());
    EXPECT_EQ(s.ctx.nCommentLevel, 0u);
  }
}

TEST(Scanner, DescriptionsOfEveryCode) {
  for (const qel::test::Case& c : qel::test::readCases("scanner/descriptions.txt"))
    EXPECT_EQ(qel::test::narrow(SymGetSymDescription(std::stol(c[0]))), c[1]) << c.where;
}

TEST(Scanner, NumbersWriteOnlyTheirField) {
  Scanner s(0);
  s.newLine(QEL_W("70000 1.5 7"));
  s.next();
  EXPECT_EQ(s.next(), "-5\"1.5\"=1.5@9");
  EXPECT_EQ(SymGetLong(&s.ctx), 70000);  // kept from the number before
  EXPECT_EQ(SymGetULong(&s.ctx), 1u);    // the integer part's accumulator
  EXPECT_EQ(s.next(), "-1\"7\"=7@11");
  EXPECT_EQ(SymGetDouble(&s.ctx), 1.5);
  EXPECT_EQ(SymGetShort(&s.ctx), 7);
  // The truth words write all five.
  Scanner t(1);
  t.newLine(QEL_W(".T."));
  EXPECT_EQ(t.next(), "-3\".T.\"=1@3");
  EXPECT_TRUE(SymGetShort(&t.ctx) == 1 && SymGetUShort(&t.ctx) == 1 && SymGetULong(&t.ctx) == 1u &&
              SymGetDouble(&t.ctx) == 1.0);
}

TEST(Scanner, HostKeywordsAndUpperCaseCopy) {
  static const WCHAR kIf[] = QEL_W("if");
  static const WCHAR kWhile[] = QEL_W("WHILE");
  const SymKeyword ifKeyword{kIf, 1000};
  const SymKeyword whileKeyword{kWhile, 1001};
  Scanner exact(0);
  ASSERT_EQ(SymSetKeyword(&exact.ctx, &ifKeyword), 0u);
  EXPECT_EQ(exact.rendered(QEL_W("if If iff")), "1000\"if\"@2 -8\"If\"@5 -8\"iff\"@9 -98\"\"@9");

  Scanner upper(0, 64, 64, 1);
  ASSERT_EQ(SymSetKeyword(&upper.ctx, &whileKeyword), 0u);
  upper.newLine(QEL_W("wHile x"));
  EXPECT_EQ(upper.next(), "1001\"wHile\"@5");
  EXPECT_EQ(WString(upper.ctx.pszAlphaUpper), QEL_W("WHILE"));
  EXPECT_EQ(upper.next(), "-8\"x\"@7");
  EXPECT_EQ(WString(upper.ctx.pszAlphaUpper), QEL_W("X"));
  // Only identifiers fill the upper-case copy; literals alone fill the raw text.
  EXPECT_EQ(upper.next(), "-98\"\"@7");
  EXPECT_EQ(upper.ctx.pszAlphaUpper[0], 0);
  EXPECT_EQ(SymGetAlphaLenUnTranslated(&upper.ctx), 0u);
}

TEST(Scanner, StateAcrossCalls) {
  // The line ends at the first NUL, and the scanner stays on it.
  Scanner s(0);
  s.newLine(WString(QEL_W("ab\0cd"), 5));
  EXPECT_EQ(s.next(), "-8\"ab\"@2");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s.next(), "-98\"\"@2");

  // An open string stays open on its line; SymReset abandons it.
  Scanner r(0);
  EXPECT_EQ(r.rendered(QEL_W("\"open")), "-201\"open\"~\"open\"@5");
  EXPECT_EQ(r.next(), "-201\"open\"~\"open\"@5");
  EXPECT_EQ(r.ctx.chPendingQuote, u'"');
  SymReset(&r.ctx);
  EXPECT_EQ(r.rendered(QEL_W("a")), "-8\"a\"@1 -98\"\"@1");

  // The comment state survives SymReset and new lines.
  Scanner c(0);
  EXPECT_EQ(c.rendered(QEL_W("/* a")), "-98\"\"@4");
  SymReset(&c.ctx);
  EXPECT_EQ(c.ctx.nCommentLevel, 1u);
  EXPECT_EQ(c.rendered(QEL_W("*/ b")), "-8\"b\"@4 -98\"\"@4");

  // An unknown mode reads nothing.
  Scanner unknown(4);
  unknown.newLine(QEL_W("abc"));
  EXPECT_EQ(SymGetNextSymAll(&unknown.ctx), 0);
  EXPECT_EQ(SymGetNextSym(&unknown.ctx), -98);  // nSym as SymInit left it
  EXPECT_EQ(SymGetColumnNo(&unknown.ctx), 0u);
}

TEST(Scanner, LongInput) {
  WString line;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const char name[] = {'n', 'a', 'm', 'e', '_', char('a' + i % 26), 0};
    line += qel::test::widen(name) + QEL_W(" + ");
    expected += "-8\"" + std::string(name) + "\"@" + std::to_string(9 * i + 6) + " 43\"+\"@" +
                std::to_string(9 * i + 8) + " ";
  }
  line += QEL_W("x");
  expected += "-8\"x\"@180001 -98\"\"@180001";
  Scanner s(0, 64, 64);
  EXPECT_EQ(s.rendered(line), expected);

  // One name far longer than the buffers: cut into buffer-sized names.
  Scanner big(0, 1000, 1000);
  const std::string q(1000, 'q');
  EXPECT_EQ(big.rendered(WString(2500, u'q')),
            "-8\"" + q + "\"@1000 -8\"" + q + "\"@2000 -8\"" + q.substr(500) + "\"@2500 -98\"\"@2500");

  // A very long string in a big buffer keeps every character.
  Scanner text(0, 64, 100000);
  const WString content(70000, u'e');
  text.newLine(QEL_W("\"") + content + QEL_W("\""));
  const std::string e(70000, 'e');
  EXPECT_EQ(text.next(), "-6\"" + e + "\"~\"" + e + "\"@70002");
}

TEST(Scanner, RecordAfterInit) {
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
}

TEST(Scanner, WorkersDrivenDirectly) {
  Scanner s(0);
  s.newLine(QEL_W("\\x41rest"));
  EXPECT_EQ(SymEscapeSeq(&s.ctx), u'A');
  EXPECT_EQ(SymGetColumnNo(&s.ctx), 3u);  // on the sequence's last character
  EXPECT_EQ(WString(s.ctx.pszAlphaUnTranslated, s.ctx.nAlphaLenUnTranslated), QEL_W("x41"));

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
  EXPECT_EQ(WString(SymGetAlpha(&q.ctx)), QEL_W("a\tb"));
  EXPECT_EQ(WString(SymGetAlphaUnTranslated(&q.ctx)), QEL_W("a\\tb"));
  EXPECT_EQ(SymGetColumnNo(&q.ctx), 6u);
  EXPECT_EQ(SymGetSym(&q.ctx), -98);  // no symbol is set
}

}  // namespace
