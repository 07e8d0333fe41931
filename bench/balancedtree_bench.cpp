// BT against std::map on 1,000,000 32-bit keys: insert, find, erase.  Both
// order the keys with the same compare function, called through a pointer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <vector>

#include "QELBase.h"

namespace {

constexpr int kKeys = 1000000;

LONG QEL_CDECL compareInts(const void* probe, const void* elem) {
  int a = *static_cast<const int*>(probe), b = *static_cast<const int*>(elem);
  return a < b ? -1 : a > b ? 1 : 0;
}

struct SameComparison {
  BTCompareFn compare = compareInts;
  bool operator()(int a, int b) const { return compare(&a, &b) < 0; }
};
using Map = std::map<int, int, SameComparison>;

const std::vector<int>& shuffledKeys() {
  static const std::vector<int> keys = [] {
    std::vector<int> k(kKeys);
    std::iota(k.begin(), k.end(), 0);
    std::shuffle(k.begin(), k.end(), std::mt19937(42));
    return k;
  }();
  return keys;
}

BT filledTree() {
  BT bt = BTCreate(compareInts, sizeof(int));
  for (int k : shuffledKeys()) BTInsert(bt, &k);
  return bt;
}

Map filledMap() {
  Map m;
  for (int k : shuffledKeys()) m.emplace(k, k);
  return m;
}

void BT_Insert(benchmark::State& state) {
  for (auto _ : state) {
    BT bt = filledTree();
    benchmark::DoNotOptimize(bt->pRoot);
    state.PauseTiming();
    BTDestroy(bt, nullptr);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}

void Map_Insert(benchmark::State& state) {
  for (auto _ : state) {
    Map* m = new Map(filledMap());
    benchmark::DoNotOptimize(m);
    state.PauseTiming();
    delete m;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}

void BT_Find(benchmark::State& state) {
  BT bt = filledTree();
  for (auto _ : state)
    for (int k : shuffledKeys()) benchmark::DoNotOptimize(BTSearch(bt, &k));
  BTDestroy(bt, nullptr);
  state.SetItemsProcessed(state.iterations() * kKeys);
}

void Map_Find(benchmark::State& state) {
  Map m = filledMap();
  for (auto _ : state)
    for (int k : shuffledKeys()) benchmark::DoNotOptimize(m.find(k));
  state.SetItemsProcessed(state.iterations() * kKeys);
}

void BT_Erase(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    BT bt = filledTree();
    state.ResumeTiming();
    for (int k : shuffledKeys()) BTDelete(bt, &k);
    state.PauseTiming();
    BTDestroy(bt, nullptr);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}

void Map_Erase(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Map m = filledMap();
    state.ResumeTiming();
    for (int k : shuffledKeys()) m.erase(k);
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}

}  // namespace

BENCHMARK(BT_Insert)->Unit(benchmark::kMillisecond);
BENCHMARK(Map_Insert)->Unit(benchmark::kMillisecond);
BENCHMARK(BT_Find)->Unit(benchmark::kMillisecond);
BENCHMARK(Map_Find)->Unit(benchmark::kMillisecond);
BENCHMARK(BT_Erase)->Unit(benchmark::kMillisecond);
BENCHMARK(Map_Erase)->Unit(benchmark::kMillisecond);
