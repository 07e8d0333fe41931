// A million small copies into the memory pool and freeing them all at
// once, against malloc + memcpy for each and free for each.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "QELBase.h"

constexpr int kCopies = 1000000;
constexpr char kBytes[32] = "a small string of a few bytes";

static void BM_MPAllocDestroy(benchmark::State& state) {
  const LONG size = LONG(state.range(0));
  for (auto _ : state) {
    MP pool = MPCreate(65536);
    for (int i = 0; i < kCopies; ++i) benchmark::DoNotOptimize(MPAlloc(pool, kBytes, size));
    MPDestroy(pool);
  }
  state.SetItemsProcessed(state.iterations() * kCopies);
}
BENCHMARK(BM_MPAllocDestroy)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

static void BM_MallocFree(benchmark::State& state) {
  const size_t size = size_t(state.range(0));
  std::vector<void*> blocks(kCopies);
  for (auto _ : state) {
    for (void*& block : blocks) {
      block = std::malloc(size);
      std::memcpy(block, kBytes, size);
      benchmark::DoNotOptimize(block);
    }
    for (void* block : blocks) std::free(block);
  }
  state.SetItemsProcessed(state.iterations() * kCopies);
}
BENCHMARK(BM_MallocFree)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);
