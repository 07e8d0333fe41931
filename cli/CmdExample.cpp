/* qel example: a short tour of the library on built-in data. */
#include <iostream>

#include "Commands.h"
#include "Console.h"
#include "QELBase.h"

namespace qel::cli {
namespace {

int runExample(Args args) {
  if (!args.empty()) return usageError("example takes no arguments", "qel example");

  std::cout << "Message catalogue (English | German):\n";
  for (DWORD code = QEL_E_LVALUE_REQUIRED; code <= QEL_E_PRINTER_LABEL_WAITING; ++code) {
    std::cout << "  0x" << std::hex << std::uppercase << code << std::dec << "  " << messageText(code, 1033)
              << " | " << messageText(code, 1031) << "\n";
  }
  std::cout << "System message 5: " << messageText(5, 1033) << "\n";
  std::cout << "Unknown code 0x2A: " << messageText(0x2A, 1033) << "\n";

  DA squares = DACreate(sizeof(LONG), 4);
  if (!squares) return 1;
  for (LONG i = 1; i <= 10; ++i) {
    LONG sq = i * i;
    DAAddElem(squares, &sq);
  }
  std::cout << "Dynamic array of " << DAGetSize(squares) << " squares (capacity " << squares->nAlloc << "):";
  for (LONG i = 0; i < DAGetSize(squares); ++i)
    std::cout << " " << *static_cast<LONG*>(DAGetElem(squares, i));
  std::cout << "\n";
  DADestroy(squares);

  SymContext scanner{};
  if (SymInit(&scanner, 32, 256, 0, SYM_MODE_C) != 0) return 1;
  const WCHAR line[] = QEL_W("total += price * 1.5; // comment");
  SymNewLine(&scanner, line);
  std::cout << "Scanner symbols of \"" << toUtf8(line) << "\":";
  for (LONG code; (code = SymGetNextSym(&scanner)) != SYM_EOL;)
    std::cout << " [" << toUtf8(SymGetAlpha(&scanner)) << "] " << toUtf8(SymGetSymDescription(code)) << ";";
  std::cout << "\n";
  SymRelease(&scanner);
  return 0;
}

}  // namespace

const Command kExampleCommand{"example", "", "run the library on built-in examples",
                              "Shows the message catalogue in both languages, a system message,\n"
                              "the fallback text, a dynamic array and the symbols of a scanned line.\n",
                              runExample};

}  // namespace qel::cli
