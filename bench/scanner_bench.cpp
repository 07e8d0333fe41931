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

std::vector<std::u16string> makeSource(size_t totalChars) {
  static const char16_t* const kPieces[] = {
      u"counter", u"total_sum", u"x",  u"idx2", u"value", u"42", u"3.14159", u"0x1F",
      u"65536",   u"+",         u"-",  u"*",    u"/",     u"+=", u"<<=",     u"==",
      u"!=",      u"&&",        u"||", u"(",    u")",     u",",  u"->",      u"\"text with \\t escape\"",
      u"'c'",     u"[",         u"]",
  };
  std::mt19937 rng(12345);
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  std::vector<std::u16string> lines;
  size_t chars = 0;
  while (chars < totalChars) {
    std::u16string line;
    while (line.size() < 80) {
      line += kPieces[pick(rng)];
      line += u' ';
    }
    if (lines.size() % 10 == 0) line += u"// a comment at the end";
    chars += line.size();
    lines.push_back(std::move(line));
  }
  return lines;
}

void BM_ScanSource(benchmark::State& state) {
  const std::vector<std::u16string> lines = makeSource(10u << 20);
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
