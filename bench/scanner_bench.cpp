/*
 * The symbol scanner over 10 MB of generated source text: identifiers,
 * numbers, operators, strings and comments in lines of about 80
 * characters.  Throughput is counted in source characters (one byte each
 * in an ASCII source file).
 */
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "scanner/Symbol.h"

namespace {

std::vector<std::basic_string<WCHAR>> makeSource(size_t totalChars) {
  static const char16_t* const kPieces[] = {
      QEL_W("counter"), QEL_W("total_sum"), QEL_W("x"),       QEL_W("idx2"),
      QEL_W("value"),   QEL_W("42"),        QEL_W("3.14159"), QEL_W("0x1F"),
      QEL_W("65536"),   QEL_W("+"),         QEL_W("-"),       QEL_W("*"),
      QEL_W("/"),       QEL_W("+="),        QEL_W("<<="),     QEL_W("=="),
      QEL_W("!="),      QEL_W("&&"),        QEL_W("||"),      QEL_W("("),
      QEL_W(")"),       QEL_W(","),         QEL_W("->"),      QEL_W("\"text with \\t escape\""),
      QEL_W("'c'"),     QEL_W("["),         QEL_W("]"),
  };
  std::mt19937 rng(12345);
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  std::vector<std::basic_string<WCHAR>> lines;
  size_t chars = 0;
  while (chars < totalChars) {
    std::basic_string<WCHAR> line;
    while (line.size() < 80) {
      line += kPieces[pick(rng)];
      line += u' ';
    }
    if (lines.size() % 10 == 0) line += QEL_W("// a comment at the end");
    chars += line.size();
    lines.push_back(std::move(line));
  }
  return lines;
}

void BM_ScanSource(benchmark::State& state) {
  const std::vector<std::basic_string<WCHAR>> lines = makeSource(10u << 20);
  size_t chars = 0;
  for (const auto& l : lines) chars += l.size();
  SymContext scanner{};
  if (SymInit(&scanner, 64, 256, 0, LONG(state.range(0))) != 0) state.SkipWithError("SymInit failed");
  long symbols = 0;
  for (auto _ : state) {
    for (const auto& line : lines) {
      SymNewLine(&scanner, line.c_str());
      while (SymGetNextSym(&scanner) != SYM_EOL) ++symbols;
    }
  }
  benchmark::DoNotOptimize(symbols);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(chars));
  state.counters["symbols/s"] = benchmark::Counter(double(symbols), benchmark::Counter::kIsRate);
  SymRelease(&scanner);
}
BENCHMARK(BM_ScanSource)->Arg(SYM_MODE_C)->Arg(SYM_MODE_DOTTED)->Unit(benchmark::kMillisecond);

}  // namespace
