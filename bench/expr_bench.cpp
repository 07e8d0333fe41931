/*
 * The expression engine side by side with muparser and plain C++: the same
 * expressions over the same Double variables, timed in alternating batches
 * within one benchmark so that the machine's noise hits all of them alike.
 * Each case reports ns per evaluation of each engine and the ratio
 * QELBase / muparser (below 1: QELBase is faster).  Compiling is measured
 * the same way.  Without muparser (Debian's libmuparser-dev) only QELBase
 * and C++ are measured.
 */
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#ifdef QELBASE_BENCH_MUPARSER
#include <muParser.h>
#endif

#include "bench/SideBySide.h"
#include "expr/Expression.h"

namespace {

struct Case {
  const char* text;
  double (*native)(double a, double b, double c, double d);
};

double hyp(double x, double y) { return std::sqrt(x * x + y * y); }

const Case kCases[] = {
    {"a*b + c/(d-1)", [](double a, double b, double c, double d) { return a * b + c / (d - 1); }},
    {"(a > 1 && b < 3) || (c >= 2 && d != 4) && (a + b > c) || (d - a < b) && (c * 2 > d)",
     [](double a, double b, double c, double d) {
       return double((a > 1 && b < 3) || ((c >= 2 && d != 4) && (a + b > c)) || ((d - a < b) && (c * 2 > d)));
     }},
    {"(a + b) * (c - d) / (a + 1) + (b - c) * (d + a) - c * d / (b + 2) + a * b - c / (d + 3) + (a - b) * "
     "0.5",
     [](double a, double b, double c, double d) {
       return (a + b) * (c - d) / (a + 1) + (b - c) * (d + a) - c * d / (b + 2) + a * b - c / (d + 3) +
              (a - b) * 0.5;
     }},
    {"hyp(a, b) + hyp(c, d) * 0.5",
     [](double a, double b, double c, double d) { return hyp(a, b) + hyp(c, d) * 0.5; }},
};

double QEL_CDECL hostHyp(ExprContext* ctx, LONG_PTR) {
  const double y = *static_cast<double*>(ExprPopResult(ctx));
  const double x = *static_cast<double*>(ExprPopResult(ctx));
  return hyp(x, y);
}

struct Variables {
  double a = 1.5, b = 2.25, c = 3.125, d = 4.0625;
};

struct Engine {
  explicit Engine(Variables& v) {
    ExprInit(&ctx, 64, 1024, 0, SYM_MODE_C, nullptr, 1, nullptr, nullptr, nullptr, 0, nullptr);
    ExprDefineVar(&ctx, &v.a, QEL_W("a"), EXT_Double);
    ExprDefineVar(&ctx, &v.b, QEL_W("b"), EXT_Double);
    ExprDefineVar(&ctx, &v.c, QEL_W("c"), EXT_Double);
    ExprDefineVar(&ctx, &v.d, QEL_W("d"), EXT_Double);
    ExprDefineFn(&ctx, reinterpret_cast<void*>(&hostHyp), QEL_W("hyp"), EXT_Double, 2, EXT_Double,
                 EXT_Double);
  }
  ~Engine() { ExprRelease(&ctx); }
  LONG compile(const char* text) {
    const std::u16string wide(text, text + std::char_traits<char>::length(text));
    LONG start = 0;
    if (ExprCompile(&ctx, wide.c_str(), &start, EXT_Double, nullptr, nullptr)) start = -2;
    return start;
  }
  ExprContext ctx{};
};

#ifdef QELBASE_BENCH_MUPARSER
void defineVariables(mu::Parser& parser, Variables& v) {
  parser.DefineVar("a", &v.a);
  parser.DefineVar("b", &v.b);
  parser.DefineVar("c", &v.c);
  parser.DefineVar("d", &v.d);
}
#endif

constexpr int kBatch = 2000;

void Evaluate(benchmark::State& state) {
  const Case& c = kCases[state.range(0)];
  Variables v;
  Engine engine(v);
  const LONG start = engine.compile(c.text);
  if (start < 0) return state.SkipWithError("QELBase does not compile the expression");
#ifdef QELBASE_BENCH_MUPARSER
  mu::Parser parser;
  defineVariables(parser, v);
  parser.DefineFun("hyp", hyp);
  parser.SetExpr(c.text);
  if (std::abs(parser.Eval() - c.native(v.a, v.b, v.c, v.d)) > 1e-9)
    return state.SkipWithError("muparser computes another value");
#endif
  ExprEvaluate(&engine.ctx, start, 0);
  if (std::abs(*static_cast<double*>(ExprPopResult(&engine.ctx)) - c.native(v.a, v.b, v.c, v.d)) > 1e-9)
    return state.SkipWithError("QELBase computes another value");
  double ours = 0, theirs = 0, native = 0;
  for (auto _ : state) {
    ours += timedNs(kBatch, [&] {
      ExprEvaluate(&engine.ctx, start, 0);
      benchmark::DoNotOptimize(ExprPopResult(&engine.ctx));
    });
#ifdef QELBASE_BENCH_MUPARSER
    theirs += timedNs(kBatch, [&] { benchmark::DoNotOptimize(parser.Eval()); });
#endif
    native += timedNs(kBatch, [&] {
      benchmark::DoNotOptimize(v);
      benchmark::DoNotOptimize(c.native(v.a, v.b, v.c, v.d));
    });
  }
  const double evaluations = double(state.iterations()) * kBatch;
  state.counters["QELBase_ns"] = ours / evaluations;
  state.counters["native_ns"] = native / evaluations;
#ifdef QELBASE_BENCH_MUPARSER
  state.counters["muparser_ns"] = theirs / evaluations;
  state.counters["ratio_to_muparser"] = ours / theirs;
#endif
  state.SetLabel(c.text);
}
BENCHMARK(Evaluate)->DenseRange(0, 3)->Iterations(500);

// Compiling the 20-operator expression: 100 compiles into one context per
// batch, so the code array grows as it does for a host with many formulas.
void Compile(benchmark::State& state) {
  const char* text = kCases[2].text;
  constexpr int kCompiles = 100;
  Variables v;
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    Engine engine(v);
    ours += timedNs(kCompiles, [&] { benchmark::DoNotOptimize(engine.compile(text)); });
#ifdef QELBASE_BENCH_MUPARSER
    mu::Parser parser;
    defineVariables(parser, v);
    // muparser parses on the first evaluation after SetExpr.
    theirs += timedNs(kCompiles, [&] {
      parser.SetExpr(text);
      benchmark::DoNotOptimize(parser.Eval());
    });
#endif
  }
  const double compiles = double(state.iterations()) * kCompiles;
  state.counters["QELBase_compiles_per_s"] = compiles / ours * 1e9;
#ifdef QELBASE_BENCH_MUPARSER
  state.counters["muparser_compiles_per_s"] = compiles / theirs * 1e9;
  state.counters["ratio_to_muparser"] = ours / theirs;
#endif
}
BENCHMARK(Compile)->Iterations(300);

}  // namespace
