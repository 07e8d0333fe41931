/* qel format: a value through a picture, or a format line cut into its parts. */
#include <iostream>
#include <string>

#include "Commands.h"
#include "Console.h"
#include "format/FormatScanner.h"
#include "format/NumberFormat.h"

namespace qel::cli {
namespace {

constexpr std::string_view kUsage = "qel format PICTURE VALUE [--ll|--number] | qel format --scan LINE";

int formatValue(const std::basic_string<WCHAR>& picture, const std::basic_string<WCHAR>& value,
                const WCHAR* numberSet) {
  std::basic_string<WCHAR> out(picture.size() + value.size() + 1, 0);
  const LONG length = LONG(picture.size());
  LONG n = numberSet ? FMFormatDouble(numberSet, picture.c_str(), length, FMToDouble(value.c_str()),
                                      out.data(), nullptr)
                     : FMFormatStr(picture.c_str(), length, value.c_str(), out.data());
  out.resize(size_t(n));
  std::cout << toUtf8(out) << "\n";
  return 0;
}

int scanLine(const std::basic_string<WCHAR>& line) {
  FScContext scanner{};
  // Each symbol is a part of the line, so the line's length is enough.
  if (DWORD rc = FScInit(&scanner, ULONG(line.size() + 1)); rc != 0) {
    std::cerr << "qel: " << messageText(rc) << "\n";
    return 1;
  }
  FScSetLine(&scanner, line.c_str());
  for (;;) {
    LONG code = FScGetNextSym(&scanner);
    std::cout << FScGetColumnNo(&scanner) << "\t" << code << "\t" << toUtf8(FScGetSymDescription(code));
    if (code == FSC_EOL) break;
    std::cout << "\t\"" << visibleUtf8({FScGetAlpha(&scanner), FScGetAlphaLen(&scanner)}) << "\"\n";
  }
  std::cout << "\n";
  FScRelease(&scanner);
  return 0;
}

int runFormat(Args args) {
  if (args.size() == 2 && args[0] == "--scan") return scanLine(fromUtf8(args[1]));
  if (args.size() < 2 || args.size() > 3) return usageError("expected PICTURE VALUE or --scan LINE", kUsage);
  const WCHAR* numberSet = nullptr;
  if (args.size() == 3) {
    if (args[2] == "--ll")
      numberSet = LLDblFormat;
    else if (args[2] == "--number")
      numberSet = DefaultDblFormat;
    else
      return usageError("unexpected argument '" + std::string(args[2]) + "'", kUsage);
  }
  return formatValue(fromUtf8(args[0]), fromUtf8(args[1]), numberSet);
}

}  // namespace

const Command kFormatCommand{"format", "PICTURE VALUE [--ll|--number] | --scan LINE",
                             "format a value through a picture; cut a format line",
                             "Formats VALUE through PICTURE as FMFormatStr does: a picture starting with\n"
                             "# $ * + , - or . formats VALUE (read with FMToDouble: the last '.' or ','\n"
                             "is the decimal point) as a number, & shows its first character, /   / is a\n"
                             "field as wide as the picture, ^ shows the whole value.  The separators come\n"
                             "from the user's locale (QELBASE_LOCALE).\n"
                             "  --number    a numeric picture with the default character set #$**.,+-,\n"
                             "              whatever its first character (for pictures starting with <)\n"
                             "  --ll        a numeric picture with the set #&*$.,+- ($ fills, & is 0)\n"
                             "Picture characters (default set): # digit, blank when leading; $ digit, 0\n"
                             "when leading; * digit, * when leading; < digit, nothing when leading;\n"
                             ". decimal point; , thousands separator; + sign (+ or -); - sign (blank\n"
                             "or -); anything else is copied.  Leading digits that do not fit are lost.\n"
                             "With --scan, prints each symbol of LINE: the column after it, its code,\n"
                             "its description and its text in quotes (control characters as \\xHH).\n",
                             runFormat};

}  // namespace qel::cli
