/*
 * The string object against std::basic_string<WCHAR>, timed side by side in
 * alternating batches of one run: searching for a six-character word at the
 * end of the text, substituting "Q" for every "ab", and twenty appends of
 * ten characters (the string object ends every append in a block of the
 * exact new size, by design).  Each case reports ns per operation of both
 * and the ratio QELBase / std::basic_string (below 1: QELBase is faster).
 */
#include <benchmark/benchmark.h>

#include <string>

#include "bench/SideBySide.h"
#include "strings/StringObject.h"

namespace {

using Text = std::basic_string<WCHAR>;

Text sample(size_t length) {
  Text s;
  for (size_t i = 0; s.size() < length; ++i) s += (i % 7 == 0) ? QEL_W("ab") : QEL_W("xyz");
  s.resize(length);
  return s;
}

template <class Ours, class Theirs>
void sideBySide(benchmark::State& state, Ours&& ours, Theirs&& theirs) {
  constexpr int kBatch = 200;
  double a = 0, b = 0;
  for (auto _ : state) {
    a += timedNs(kBatch, ours);
    b += timedNs(kBatch, theirs);
  }
  const double operations = double(state.iterations()) * kBatch;
  state.counters["QELBase_ns"] = a / operations;
  state.counters["u16string_ns"] = b / operations;
  state.counters["ratio_to_u16string"] = a / b;
}

void Find(benchmark::State& state) {
  const Text text = sample(size_t(state.range(0)) - 6) + QEL_W("needle");
  TSString ts{};
  TSSetStrN(&ts, text.data(), ULONG(text.size()));
  sideBySide(
      state, [&] { benchmark::DoNotOptimize(TSStrPos(&ts, QEL_W("needle"), 0)); },
      [&] { benchmark::DoNotOptimize(text.find(QEL_W("needle"))); });
  TSInit(&ts);
}
BENCHMARK(Find)->Arg(100)->Arg(10000)->Iterations(2000);

void Substitute(benchmark::State& state) {
  const Text text = sample(size_t(state.range(0)));
  TSString ts{};
  sideBySide(
      state,
      [&] {
        TSSetStrN(&ts, text.data(), ULONG(text.size()));
        benchmark::DoNotOptimize(TSStrSubst(&ts, QEL_W("ab"), QEL_W("Q")));
      },
      [&] {
        Text s = text, out;
        size_t from = 0;
        for (size_t at; (at = s.find(QEL_W("ab"), from)) != Text::npos; from = at + 2) {
          out.append(s, from, at - from);
          out += u'Q';
        }
        out.append(s, from);
        s.swap(out);
        benchmark::DoNotOptimize(s.data());
      });
  TSInit(&ts);
}
BENCHMARK(Substitute)->Arg(100)->Arg(10000)->Iterations(500);

void Append(benchmark::State& state) {
  sideBySide(
      state,
      [] {
        TSString ts{};
        for (int i = 0; i < 20; ++i) TSAddStrN(&ts, QEL_W("0123456789"), 10);
        benchmark::DoNotOptimize(ts.pText);
        TSInit(&ts);
      },
      [] {
        Text s;
        for (int i = 0; i < 20; ++i) s.append(QEL_W("0123456789"), 10);
        benchmark::DoNotOptimize(s.data());
      });
}
BENCHMARK(Append)->Iterations(5000);

}  // namespace
