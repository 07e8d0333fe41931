/* A scanner record with its lines, and its symbols rendered as the case
   files write them: code"text"@column, literals with ~"raw text", numbers
   with =value. */
#ifndef QELBASE_TESTS_SCANNER_FIXTURE_H
#define QELBASE_TESTS_SCANNER_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <list>
#include <string>

#include "scanner/Symbol.h"
#include "support/WideText.h"

namespace qel::test {

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

}  // namespace qel::test

#endif
