/* qel scan: how the symbol scanner cuts text, one line per symbol. */
#include <iostream>
#include <string>

#include "Commands.h"
#include "Console.h"
#include "scanner/Symbol.h"

namespace qel::cli {
namespace {

constexpr std::string_view kUsage =
    "qel scan [--mode 0|1|2|3] [--all] [--upper] [--strict] [--ident N] [--text N] [FILE|-]";

struct ScanOptions {
  LONG mode = SYM_MODE_C;
  bool all = false;  // SymGetNextSymAll: comments are shown, not filtered
  bool upper = false;
  bool strict = false;
  DWORD identLimit = 255;
  DWORD textLength = 1024;
  std::string_view file = "-";
};

void scanLine(SymContext& scanner, const ScanOptions& options, const std::basic_string<WCHAR>& line,
              size_t lineNo) {
  SymNewLine(&scanner, line.c_str());
  const size_t end = std::char_traits<WCHAR>::length(line.c_str());
  for (;;) {
    LONG code = options.all ? SymGetNextSymAll(&scanner) : SymGetNextSym(&scanner);
    std::cout << lineNo << ":" << SymGetColumnNo(&scanner) << "\t" << code << "\t"
              << toUtf8(SymGetSymDescription(code));
    if (code != SYM_EOL) std::cout << "\t" << visibleUtf8(SymGetAlpha(&scanner));
    if (SymGetAlphaLenUnTranslated(&scanner) > 0)
      std::cout << "\traw " << visibleUtf8(SymGetAlphaUnTranslated(&scanner));
    std::cout << "\n";
    // An unclosed literal keeps the scanner on the NUL that ends its line,
    // the first one the text holds.
    if (code == SYM_EOL || (scanner.chPendingQuote && SymGetColumnNo(&scanner) >= end)) return;
  }
}

int runScan(Args args) {
  ScanOptions options;
  bool fileSeen = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view a = args[i];
    auto needValue = [&](DWORD& out) { return i + 1 < args.size() && parseCode(args[++i], out); };
    DWORD value = 0;
    if (a == "--mode") {
      if (!needValue(value) || value > 3) return usageError("--mode needs 0, 1, 2 or 3", kUsage);
      options.mode = LONG(value);
    } else if (a == "--all") {
      options.all = true;
    } else if (a == "--upper") {
      options.upper = true;
    } else if (a == "--strict") {
      options.strict = true;
    } else if (a == "--ident") {
      if (!needValue(options.identLimit)) return usageError("--ident needs a number", kUsage);
    } else if (a == "--text") {
      if (!needValue(options.textLength) || options.textLength < 2)
        return usageError("--text needs a number of at least 2", kUsage);
    } else if (!fileSeen && (a == "-" || !a.starts_with("--"))) {
      options.file = a;
      fileSeen = true;
    } else {
      return usageError("unexpected argument '" + std::string(a) + "'", kUsage);
    }
  }

  std::string input;
  if (!readInput(options.file, input)) return 1;

  SymContext scanner{};
  DWORD rc = SymInit(&scanner, options.identLimit, options.textLength, options.upper, options.mode);
  if (rc != 0) {
    std::cerr << "qel: " << messageText(rc) << "\n";
    SymRelease(&scanner);
    return 1;
  }
  scanner.nEscapeMode = options.strict ? SYM_ESCAPE_STRICT : SYM_ESCAPE_STANDARD;
  size_t lineNo = 0;
  for (const std::string& line : splitLines(input)) scanLine(scanner, options, fromUtf8(line), ++lineNo);
  SymRelease(&scanner);
  return 0;
}

}  // namespace

const Command kScanCommand{"scan", "[--mode M] [--all] [--upper] [--strict] [--ident N] [--text N] [FILE|-]",
                           "cut text into scanner symbols",
                           "Reads FILE (or standard input, UTF-8) line by line through the symbol scanner\n"
                           "and prints one line per symbol: LINE:COLUMN (the 1-based column of the\n"
                           "symbol's last character, which is the scanner's own 0-based position just\n"
                           "past it, as SymGetColumnNo and the expression engine report it),\n"
                           "the symbol code, its description and its text (control characters as \\xHH,\n"
                           "surrogate halves as \\uXXXX);\n"
                           "string and character literals also show their raw text. Lexical errors are\n"
                           "symbols like any other (-200 number, -201 string, -202 character).\n"
                           "  --mode M    0 or 2: C-like operators and comments; 1: dotted words (.AND.,\n"
                           "              .T.) with @, $ and German letters in names; 3: dotted words\n"
                           "  --all       show comment symbols instead of filtering comments out\n"
                           "  --upper     look keywords up in upper case (\"And\" finds \"AND\")\n"
                           "  --strict    the strict escape dialect (octal below 256, \\x with two digits)\n"
                           "  --ident N   identifier length limit (default 255)\n"
                           "  --text N    symbol text buffer length (default 1024)\n",
                           runScan};

}  // namespace qel::cli
