/*
 * Timing for benchmarks that measure QELBase and a reference side by side:
 * each times batches of both in turn within one benchmark, so that the
 * machine's noise hits them alike, and reports their ratio as a counter.
 */
#ifndef QELBASE_BENCH_SIDE_BY_SIDE_H
#define QELBASE_BENCH_SIDE_BY_SIDE_H

#include <chrono>

// Runs body `n` times and returns the nanoseconds it took.
template <class Body>
double timedNs(int n, Body&& body) {
  const auto began = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) body();
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - began).count();
}

#endif
