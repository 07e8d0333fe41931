/*
 * The symbol scanner over 10 MB of generated source text: identifiers,
 * numbers, operators, strings and comments in lines of about 80
 * characters.  Throughput is counted in source characters (one byte each
 * in an ASCII source file).  ScanBesideTokenizer times the C-like scanner
 * and a hand-written tokenizer of the same symbol classes (it copies each
 * symbol's text, resolves escapes and computes numbers, as the scanner
 * does) in alternating batches of one run, and reports their ratio.
 */
#include <benchmark/benchmark.h>

#include <chrono>
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

// The reference: one switch per symbol over the same classes.
class Tokenizer {
 public:
  // The number of symbols of the line.
  long scan(const WCHAR* p) {
    long symbols = 0;
    for (;;) {
      while (*p == ' ' || *p == '\t') ++p;
      const WCHAR c = *p;
      if (c == 0) return symbols;
      ++symbols;
      length_ = 0;
      if (isLetter(c)) {
        while (isLetter(*p) || isDigit(*p)) text_[length_++] = *p++;
      } else if (isDigit(c)) {
        p = number(p);
      } else if (c == '"' || c == '\'') {
        const WCHAR quote = *p++;
        while (*p && *p != quote) text_[length_++] = *p == '\\' ? escape(++p) : *p, ++p;
        if (*p) ++p;
      } else if (c == '/' && p[1] == '/') {
        return symbols;  // the rest of the line is a comment
      } else {
        p = op(p);
      }
      text_[length_] = 0;
    }
  }
  double value() const { return value_; }

 private:
  static bool isLetter(WCHAR c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
  static bool isDigit(WCHAR c) { return c >= '0' && c <= '9'; }
  static WCHAR escape(const WCHAR* p) { return *p == 't' ? WCHAR('\t') : *p == 'n' ? WCHAR('\n') : *p; }
  const WCHAR* number(const WCHAR* p) {
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
      unsigned long v = 0;
      for (p += 2; isDigit(*p) || (*p >= 'a' && *p <= 'f') || (*p >= 'A' && *p <= 'F'); ++p)
        v = v * 16 + (isDigit(*p) ? *p - '0' : (*p | 0x20) - 'a' + 10);
      value_ = double(v);
      return p;
    }
    double v = 0, scale = 1;
    for (; isDigit(*p); ++p) v = v * 10 + (*p - '0');
    if (*p == '.')
      for (++p; isDigit(*p); ++p) v += (*p - '0') * (scale /= 10);
    value_ = v;
    return p;
  }
  const WCHAR* op(const WCHAR* p) {
    static const std::basic_string_view<WCHAR> kLong[] = {
        QEL_W("<<="), QEL_W(">>="), QEL_W("+="), QEL_W("-="), QEL_W("=="), QEL_W("!="), QEL_W("&&"),
        QEL_W("||"),  QEL_W("->"),  QEL_W("<<"), QEL_W(">>"), QEL_W("<="), QEL_W(">=")};
    for (auto o : kLong)
      if (p[0] == o[0] && p[1] == o[1] && (o.size() < 3 || p[2] == o[2])) {
        for (WCHAR ch : o) text_[length_++] = ch;
        return p + o.size();
      }
    text_[length_++] = *p;
    return p + 1;
  }

  WCHAR text_[256];
  size_t length_ = 0;
  double value_ = 0;
};

void ScanBesideTokenizer(benchmark::State& state) {
  const std::vector<std::basic_string<WCHAR>> lines = makeSource(2u << 20);
  double chars = 0;
  for (const auto& l : lines) chars += double(l.size());
  SymContext scanner{};
  if (SymInit(&scanner, 64, 256, 0, SYM_MODE_C) != 0) return state.SkipWithError("SymInit failed");
  Tokenizer tokenizer;
  long ours = 0, theirs = 0;
  double oursNs = 0, theirsNs = 0;
  auto timed = [](auto&& body) {
    const auto began = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - began).count();
  };
  for (auto _ : state) {
    oursNs += timed([&] {
      for (const auto& line : lines) {
        SymNewLine(&scanner, line.c_str());
        while (SymGetNextSym(&scanner) != SYM_EOL) ++ours;
      }
    });
    theirsNs += timed([&] {
      for (const auto& line : lines) theirs += tokenizer.scan(line.c_str());
    });
  }
  benchmark::DoNotOptimize(tokenizer.value());
  const double batches = double(state.iterations());
  state.counters["scanner_MB_per_s"] = chars * batches / oursNs * 1e3;
  state.counters["tokenizer_MB_per_s"] = chars * batches / theirsNs * 1e3;
  state.counters["ratio_to_tokenizer"] = theirsNs / oursNs;  // throughput: above 1 is faster
  state.counters["symbols_ours"] = double(ours);
  state.counters["symbols_tokenizer"] = double(theirs);
  SymRelease(&scanner);
}
BENCHMARK(ScanBesideTokenizer)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
