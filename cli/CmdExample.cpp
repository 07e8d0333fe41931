/* qel example: a short tour of every family of the library on built-in data.
   It reads the registry but never writes it, and its one file lives in the
   system's temporary folder only while the tour runs. */
#include <filesystem>
#include <iostream>
#include <string>

#include "Commands.h"
#include "Console.h"
#include "QELBase.h"

namespace qel::cli {
namespace {

using WString = std::basic_string<WCHAR>;

void messages() {
  std::cout << "Message catalogue (English | German):\n";
  for (DWORD code = QEL_E_LVALUE_REQUIRED; code <= QEL_E_PRINTER_LABEL_WAITING; ++code) {
    std::cout << "  0x" << std::hex << std::uppercase << code << std::dec << "  " << messageText(code, 1033)
              << " | " << messageText(code, 1031) << "\n";
  }
  std::cout << "System message 5: " << messageText(5, 1033) << "\n";
  std::cout << "Unknown code 0x2A: " << messageText(0x2A, 1033) << "\n";
}

LONG QEL_CDECL compareLongs(const void* a, const void* b) {
  const LONG x = *static_cast<const LONG*>(a), y = *static_cast<const LONG*>(b);
  return x < y ? -1 : x > y;
}
LONG QEL_CDECL isOdd(void* element) { return *static_cast<LONG*>(element) % 2; }

void containers() {
  DA squares = DACreate(sizeof(LONG), 4);
  BT tree = BTCreate(compareLongs, sizeof(LONG));
  LLList* list = LLCreate(sizeof(LONG));
  DLHeader* chain = DLCreateHeader(sizeof(LONG));
  MP pool = MPCreate(64);
  if (squares && tree && list && chain && pool) {
    for (LONG i = 1; i <= 10; ++i) {
      LONG sq = i * i, key = (i * 7) % 11;
      DAAddElem(squares, &sq);
      BTInsert(tree, &key);
      LLPushBack(list, &sq);
      DLInsertFirstElement(chain, DLCreateElement(chain, &i));
    }
    std::cout << "Dynamic array of " << DAGetSize(squares) << " squares (capacity " << squares->nAlloc
              << "):";
    for (LONG i = 0; i < DAGetSize(squares); ++i)
      std::cout << " " << *static_cast<LONG*>(DAGetElem(squares, i));
    std::cout << "\nBalanced tree of " << BTCount(tree) << " keys in order:";
    for (void* e = BTFirst(tree); e; e = BTNext(e)) std::cout << " " << *static_cast<LONG*>(e);
    std::cout << "\nLinked list: first odd square " << *static_cast<LONG*>(LLApply(list, isOdd))
              << "; GCD(84, 36) = " << GCD(84, 36) << "\nDoubly linked list, built at the front:";
    for (DLElement* e = DLGetFirstElement(chain); e; e = DLGetNextElement(e))
      std::cout << " " << *static_cast<LONG*>(DLGetElementValue(e));
    const char text[] = "pooled";
    std::cout << "\nMemory pool copy: " << static_cast<const char*>(MPAlloc(pool, text, sizeof text)) << "\n";
  }
  MPDestroy(pool);
  DLRemoveHeader(chain);
  LLDestroy(list);
  BTDestroy(tree, nullptr);
  DADestroy(squares);
}

void scanner() {
  SymContext scanner{};
  if (SymInit(&scanner, 32, 256, 0, SYM_MODE_C) == 0) {
    const WCHAR line[] = QEL_W("total += price * 1.5; // comment");
    SymNewLine(&scanner, line);
    std::cout << "Scanner symbols of \"" << toUtf8(line) << "\":";
    for (LONG code; (code = SymGetNextSym(&scanner)) != SYM_EOL;)
      std::cout << " [" << toUtf8(SymGetAlpha(&scanner)) << "] " << toUtf8(SymGetSymDescription(code)) << ";";
    std::cout << "\n";
  }
  SymRelease(&scanner);
}

void expression() {
  ExprContext ctx{};
  if (ExprInit(&ctx, 64, 256, 0, SYM_MODE_C, nullptr, 1, nullptr, nullptr, nullptr, 0, nullptr) != 0) return;
  double price = 2.5, total = 0;
  LONG count = 4, start = 0, type = 0;
  const WCHAR text[] = QEL_W("total = price * count + 1");
  if (ExprDefineVar(&ctx, &price, QEL_W("price"), EXT_Double) == 0 &&
      ExprDefineVar(&ctx, &total, QEL_W("total"), EXT_Double) == 0 &&
      ExprDefineVar(&ctx, &count, QEL_W("count"), EXT_Long) == 0 &&
      ExprCompile(&ctx, text, &start, 0, nullptr, &type) == 0 && ExprEvaluate(&ctx, start, 0) == 0) {
    ExprPopResult(&ctx);
    std::cout << "Expression \"" << toUtf8(text) << "\" with price 2.5, count 4: total = " << total << "\n";
  }
  ExprRelease(&ctx);
}

void stringsAndDates() {
  SYSTEMTIME due{}, term{};
  TDSetTime(&due, 2024, 1, 31, 9, 30, 0, 0);
  term.wMonth = 1;
  TDAdd(&due, &term);
  TS text = TSNew();
  if (text && TSSetStr(text, QEL_W("  invoice due ")) && TSATrim(text) && TSUpper(text) &&
      TSAddStr(text, QEL_W(": "))) {
    TS date = TSFromDate(TSNew(), &due);
    if (date) TSAdd(text, date);
    std::cout << "String and date: \"" << toUtf8(TSGetStr(text)) << "\" (31 January plus one month; week "
              << TDGetWeekOfYear(&due) << ")\n";
    TSFree(date);
  }
  TSFree(text);
}

void formatting() {
  WCHAR out[32] = {};
  const WCHAR picture[] = QEL_W("$$$,$$#.##");
  LONG n = FMFormatDouble(nullptr, picture, LONG(std::char_traits<WCHAR>::length(picture)), 1234.567, out,
                          nullptr);
  std::cout << "Picture \"" << toUtf8(picture) << "\" of 1234.567: \"" << toUtf8({out, size_t(n)}) << "\"\n";
  FScContext fsc{};
  const WCHAR line[] = QEL_W("Total: ###.## EUR");
  if (FScInit(&fsc, 64) == 0) {
    FScSetLine(&fsc, line);
    std::cout << "Format line \"" << toUtf8(line) << "\" cuts into:";
    for (LONG code; (code = FScGetNextSym(&fsc)) != FSC_EOL;)
      std::cout << " [" << toUtf8({FScGetAlpha(&fsc), FScGetAlphaLen(&fsc)}) << "]";
    std::cout << "\n";
  }
  FScRelease(&fsc);
}

void bufferedFile() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::temp_directory_path(error) /
                                     ("qel-example-" + std::to_string(GetCurrentProcessId()) + ".txt");
  if (error) return;
  const std::u8string utf8 = path.u8string();
  const WString name = fromUtf8({reinterpret_cast<const char*>(utf8.data()), utf8.size()});
  QELFileObject file{};
  QELFileInit(&file);
  if (QELFileOpen(&file, 256, name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL, nullptr, 1) == 0) {
    QELFileWriteLine(&file, QEL_W("first line\r\nsecond line"), 23);
    QELFileSetPos(&file, 0);
    WCHAR line[64];
    std::cout << "Buffered file, read back by line:";
    while (QELFileGetLine(&file, line, 64) == 0) std::cout << " \"" << toUtf8(line) << "\"";
    std::cout << "\n";
  }
  QELFileClose(&file);
  std::filesystem::remove(path, error);
}

void traceAndRegistry() {
  TraceObject trace{};
  TraceInit(&trace, QEL_W("SOFTWARE\\QELBase\\Example\\NoSuchKey"), QEL_W("example"), 0);
  std::cout << "Trace without settings: level 5 " << (TraceLevelEnabled(&trace, 5) ? "on" : "off")
            << ", file channel " << (trace.bFile ? "on" : "off") << "\n";
  WCHAR value[64];
  DWORD size = 64;
  HKEY key = nullptr;
  LONG status = OpenRegKey(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\QELBase\\Example"), KEY_READ, &key);
  QueryRegEntryString(key, QEL_W("Greeting"), value, &size, QEL_W("(the default)"));
  std::cout << "Registry: HKLM\\SOFTWARE\\QELBase\\Example ("
            << (status ? messageText(DWORD(status), 1033) : std::string("opened"))
            << ") Greeting, read with a default: " << toUtf8(value) << "\n";
  if (key) CloseRegKey(key);
}

int runExample(Args args) {
  if (!args.empty()) return usageError("example takes no arguments", "qel example");
  messages();
  containers();
  scanner();
  expression();
  stringsAndDates();
  formatting();
  bufferedFile();
  traceAndRegistry();
  return 0;
}

}  // namespace

const Command kExampleCommand{"example", "", "run every family of the library on built-in examples",
                              "Shows the message catalogue in both languages, a system message and the\n"
                              "fallback text; the containers; the symbols of a scanned line; an expression\n"
                              "over host variables; a string and a date; a picture and a cut format line;\n"
                              "a buffered file (in the temporary folder, removed again); a trace object and\n"
                              "a registry value read with a default.  Nothing is written to the registry.\n",
                              runExample};

}  // namespace qel::cli
