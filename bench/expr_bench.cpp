/*
 * The expression engine: compiling, and evaluating a numeric, a mixed-type
 * and a string expression, against the same computation written in C++.
 * Items are evaluations (or compiles).
 */
#include <benchmark/benchmark.h>

#include <string>

#include "expr/Expression.h"
#include "strings/StringObject.h"

namespace {

struct Host {
  Host() {
    ExprInit(&ctx, 64, 256, 0, SYM_MODE_C, nullptr, 1, nullptr, nullptr, nullptr, 0, nullptr);
    ExprDefineVar(&ctx, &x, QEL_W("x"), EXT_Long);
    ExprDefineVar(&ctx, &a, QEL_W("a"), EXT_Long);
    ExprDefineVar(&ctx, &b, QEL_W("b"), EXT_Long);
    ExprDefineVar(&ctx, &d, QEL_W("d"), EXT_Double);
    ExprDefineVar(&ctx, s, QEL_W("s"), EXT_String);
  }
  ~Host() {
    ExprRelease(&ctx);
    TSFree(s);
  }
  LONG compile(const char16_t* text) {
    LONG start = 0;
    ExprCompile(&ctx, text, &start, 0, nullptr, nullptr);
    return start;
  }
  ExprContext ctx;
  LONG x = 0, a = 12345, b = 678;
  double d = 1.25;
  TS s = TSNew();
};

constexpr const char16_t* kNumeric = QEL_W("x = (a * 3 + b / 7 - (a << 2)) % 1000 + (a > b && b != 0)");

void run(benchmark::State& state, const char16_t* text) {
  Host host;
  LONG start = host.compile(text);
  for (auto _ : state) {
    ExprEvaluate(&host.ctx, start, 0);
    benchmark::DoNotOptimize(ExprPopResult(&host.ctx));
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_EvaluateNumeric(benchmark::State& state) { run(state, kNumeric); }
void BM_EvaluateMixed(benchmark::State& state) {
  run(state, QEL_W("d = d * 0.5 + a / 3 + b * 1.5 - (d < a)"));
}
void BM_EvaluateString(benchmark::State& state) {
  run(state, QEL_W("s = \"value \" + 'x' + \" and more text\""));
}

void BM_NativeNumeric(benchmark::State& state) {
  LONG x = 0, a = 12345, b = 678;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    x = LONG((a * 3 + b / 7 - (a << 2)) % 1000 + (a > b && b != 0));
    benchmark::DoNotOptimize(x);
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_Compile(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto* host = new Host;
    state.ResumeTiming();
    for (int i = 0; i < 100; ++i) benchmark::DoNotOptimize(host->compile(kNumeric));
    state.PauseTiming();
    delete host;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 100);
}

BENCHMARK(BM_EvaluateNumeric);
BENCHMARK(BM_NativeNumeric);
BENCHMARK(BM_EvaluateMixed);
BENCHMARK(BM_EvaluateString);
BENCHMARK(BM_Compile);

}  // namespace
