/* A scanner record with its line, and the symbols of one line as values. */
#ifndef QELBASE_TESTS_SCANNER_FIXTURE_H
#define QELBASE_TESTS_SCANNER_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scanner/Symbol.h"
#include "support/WideText.h"

namespace qel::test {

struct Symbol {
  LONG code;
  std::basic_string<WCHAR> text;
  ULONG column;  // just past the symbol
  bool operator==(const Symbol&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Symbol& s) {
  os << "{" << s.code << ", \"";
  for (WCHAR c : s.text)
    c < 0x80 && c >= 0x20 ? os << char(c) : os << "\\u" << std::hex << int(c) << std::dec;
  return os << "\", " << s.column << "}";
}

class Scanner {
 public:
  explicit Scanner(LONG mode, ULONG identLimit = 64, ULONG textLength = 64, ULONG upper = 0) {
    EXPECT_EQ(SymInit(&ctx, identLimit, textLength, upper, mode), 0u);
  }
  ~Scanner() { SymRelease(&ctx); }
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  void newLine(std::basic_string<WCHAR> text) {
    lines_.push_back(std::move(text));
    SymNewLine(&ctx, lines_.back().c_str());
  }

  Symbol next(bool all = false) {
    LONG code = all ? SymGetNextSymAll(&ctx) : SymGetNextSym(&ctx);
    EXPECT_EQ(code, SymGetSym(&ctx));
    EXPECT_EQ(SymGetAlpha(&ctx)[SymGetAlphaLen(&ctx)], 0);  // terminated at its length
    EXPECT_EQ(ctx.pszAlphaUnTranslated[ctx.nAlphaLenUnTranslated], 0);
    return {code, std::basic_string<WCHAR>(SymGetAlpha(&ctx), SymGetAlphaLen(&ctx)), SymGetColumnNo(&ctx)};
  }

  // Every symbol of the line up to and including the end of line; an open
  // literal at the end of the line ends the list too.
  std::vector<Symbol> scan(std::basic_string<WCHAR> text, bool all = false) {
    newLine(std::move(text));
    std::vector<Symbol> out;
    for (int guard = 0; guard < 100000; ++guard) {
      out.push_back(next(all));
      if (out.back().code == SYM_EOL) break;
      if (ctx.chPendingQuote && ctx.pszLine[ctx.nColumnNo] == 0) break;
    }
    return out;
  }

  // The symbols of the line as the case files write them: code"text"@column,
  // literals with ~"raw text", numbers with =value.
  std::string rendered(std::basic_string<WCHAR> text, bool all = false) {
    newLine(std::move(text));
    std::string out;
    for (int guard = 0; guard < 100000; ++guard) {
      const Symbol symbol = next(all);
      out += (out.empty() ? "" : " ") + std::to_string(symbol.code) + '"' + narrow(symbol.text) + '"';
      out += detail(symbol.code) + "@" + std::to_string(symbol.column);
      if (symbol.code == SYM_EOL || (ctx.chPendingQuote && ctx.pszLine[ctx.nColumnNo] == 0)) break;
    }
    return out;
  }

  std::vector<LONG> codes(std::basic_string<WCHAR> text, bool all = false) {
    std::vector<LONG> out;
    for (const Symbol& s : scan(std::move(text), all)) out.push_back(s.code);
    return out;
  }

  SymContext ctx{};

 private:
  std::string detail(LONG code) {
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

  std::vector<std::basic_string<WCHAR>> lines_;  // the scanner only points at them
};

}  // namespace qel::test

#endif
