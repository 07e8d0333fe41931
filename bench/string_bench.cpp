/*
 * The string object against std::basic_string<WCHAR>: appending one character at a
 * time (TS reallocates to the exact size on every append, by design),
 * substituting a pattern, and searching for the last occurrence.
 */
#include <benchmark/benchmark.h>

#include <string>

#include "strings/StringObject.h"

namespace {

std::basic_string<WCHAR> sample(size_t length) {
  std::basic_string<WCHAR> s;
  for (size_t i = 0; s.size() < length; ++i) s += (i % 7 == 0) ? QEL_W("ab") : QEL_W("xyz");
  s.resize(length);
  return s;
}

void BM_TSAppend(benchmark::State& state) {
  for (auto _ : state) {
    TSString ts{};
    for (int64_t i = 0; i < state.range(0); ++i) TSAddStrN(&ts, QEL_W("a"), 1);
    benchmark::DoNotOptimize(ts.pText);
    TSInit(&ts);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_U16Append(benchmark::State& state) {
  for (auto _ : state) {
    std::basic_string<WCHAR> s;
    for (int64_t i = 0; i < state.range(0); ++i) s.append(QEL_W("a"), 1);
    benchmark::DoNotOptimize(s.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_TSStrSubst(benchmark::State& state) {
  const std::basic_string<WCHAR> text = sample(size_t(state.range(0)));
  TSString ts{};
  for (auto _ : state) {
    TSSetStrN(&ts, text.data(), ULONG(text.size()));
    TSStrSubst(&ts, QEL_W("ab"), QEL_W("Q"));
    benchmark::DoNotOptimize(ts.pText);
  }
  TSInit(&ts);
  state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}

void BM_U16Subst(benchmark::State& state) {
  const std::basic_string<WCHAR> text = sample(size_t(state.range(0)));
  for (auto _ : state) {
    std::basic_string<WCHAR> out;
    size_t from = 0;
    for (size_t at; (at = text.find(QEL_W("ab"), from)) != std::basic_string<WCHAR>::npos; from = at + 2) {
      out.append(text, from, at - from);
      out += u'Q';
    }
    out.append(text, from);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}

void BM_TSStrPos(benchmark::State& state) {
  const std::basic_string<WCHAR> text = sample(size_t(state.range(0))) + QEL_W("needle");
  TSString ts{};
  TSSetStrN(&ts, text.data(), ULONG(text.size()));
  for (auto _ : state) benchmark::DoNotOptimize(TSStrPos(&ts, QEL_W("needle"), 0));
  TSInit(&ts);
  state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}

void BM_U16Find(benchmark::State& state) {
  const std::basic_string<WCHAR> text = sample(size_t(state.range(0))) + QEL_W("needle");
  for (auto _ : state) benchmark::DoNotOptimize(text.find(QEL_W("needle")));
  state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}

BENCHMARK(BM_TSAppend)->RangeMultiplier(100)->Range(10, 100000);
BENCHMARK(BM_U16Append)->RangeMultiplier(100)->Range(10, 100000);
BENCHMARK(BM_TSStrSubst)->RangeMultiplier(100)->Range(10, 1000000);
BENCHMARK(BM_U16Subst)->RangeMultiplier(100)->Range(10, 1000000);
BENCHMARK(BM_TSStrPos)->RangeMultiplier(100)->Range(10, 1000000);
BENCHMARK(BM_U16Find)->RangeMultiplier(100)->Range(10, 1000000);

}  // namespace
