// Appending to the dynamic array against std::vector.
#include <benchmark/benchmark.h>

#include <vector>

#include "QELBase.h"

static void BM_DAAddElem(benchmark::State& state) {
  for (auto _ : state) {
    DA da = DACreate(sizeof(int), 64);
    for (int i = 0; i < state.range(0); ++i) DAAddElem(da, &i);
    benchmark::DoNotOptimize(DAGetElem(da, 0));
    DADestroy(da);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DAAddElem)->Arg(1000)->Arg(100000);

static void BM_VectorPushBack(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<int> v;
    for (int i = 0; i < state.range(0); ++i) v.push_back(i);
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_VectorPushBack)->Arg(1000)->Arg(100000);
