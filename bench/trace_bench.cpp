/*
 * Records per second into the trace file channel, next to the least a
 * shared file needs (open for appending, write, close) and spdlog's basic
 * file sink with the same flush policy: every record reaches the file
 * before the call returns (our trace opens, appends and closes the file
 * per record; spdlog keeps it open and flushes after each message).  All
 * write lines of the same length into a scratch folder, timed in
 * alternating batches of one run.
 */
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/SideBySide.h"
#include "trace/Trace.h"

#ifdef QELBASE_BENCH_SPDLOG
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>
#endif

namespace {

const std::string& scratch() {
  static const std::string folder = [] {
    char name[] = "/tmp/qelbase-trace-bench-XXXXXX";
    std::string path = mkdtemp(name);
    setenv("QELBASE_REGISTRY", (path + "/registry.db").c_str(), 1);
    std::atexit([] { std::filesystem::remove_all(scratch()); });
    return path;
  }();
  return folder;
}

TraceObject& traceObject() {
  static TraceObject t = [] {
    TraceObject object{};
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\QelTraceBench"), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    const DWORD on = 1, levels = 0x3F, noLimit = 0;
    RegSetValueExW(key, QEL_W("TRACEFILE"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), 4);
    RegSetValueExW(key, QEL_W("TRACELEVEL"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&levels), 4);
    RegSetValueExW(key, QEL_W("TRACESIZE"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&noLimit), 4);
    std::basic_string<WCHAR> path;
    for (char c : scratch() + "/") path += char16_t(c);
    RegSetValueExW(key, QEL_W("TRACEPATH"), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   DWORD((path.size() + 1) * 2));
    RegCloseKey(key);
    TraceInit(&object, QEL_W("SOFTWARE\\QelTraceBench"), QEL_W("bench"), 0);
    return object;
  }();
  return t;
}

const char kPlainLine[] =
    "I071226 120000000 record 1234 of the trace benchmark, a line of ordinary length\r\n";

// The least a shared file needs per record: open for appending, write the
// same bytes, close.  The trace's rate against this one is its overhead.
void plainAppend(const std::string& file) {
  int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  benchmark::DoNotOptimize(write(fd, kPlainLine, sizeof kPlainLine - 1));
  close(fd);
}

void traceRecords(int count, int threads) {
  TraceObject& t = traceObject();
  std::vector<std::thread> writers;
  for (int w = 0; w < threads; ++w)
    writers.emplace_back([&t, count, threads] {
      for (int i = 0; i < count / threads; ++i)
        TraceVA(&t, 2, QEL_W("record %d of the trace benchmark, a line of ordinary length"), i);
    });
  for (auto& w : writers) w.join();
}

constexpr int kBatch = 2000;

// Records per second of the trace with 1 and 4 threads on one object, of
// the plain append loop and of spdlog, in alternating batches.
void TraceToFile(benchmark::State& state) {
  const std::string plainFile = scratch() + "/plain.log";
#ifdef QELBASE_BENCH_SPDLOG
  static auto logger = [] {
    auto l = spdlog::basic_logger_mt("bench", scratch() + "/spdlog.log");
    l->set_pattern("%L%d%m%y %H%M%S%e %v");  // a prefix of the same length
    l->flush_on(spdlog::level::trace);       // every record flushed, as the trace does
    return l;
  }();
  double spdlogTime = 0;
#endif
  double one = 0, four = 0, plain = 0;
  for (auto _ : state) {
    one += timedNs(1, [] { traceRecords(kBatch, 1); });
    four += timedNs(1, [] { traceRecords(kBatch, 4); });
    plain += timedNs(kBatch, [&] { plainAppend(plainFile); });
#ifdef QELBASE_BENCH_SPDLOG
    spdlogTime += timedNs(
        kBatch, [] { logger->info("record {} of the trace benchmark, a line of ordinary length", 1234); });
#endif
  }
  const double records = double(state.iterations()) * kBatch * 1e9;  // the times are in ns
  state.counters["trace_per_s"] = records / one;
  state.counters["trace_4_threads_per_s"] = records / four;
  state.counters["plain_append_per_s"] = records / plain;
  state.counters["ratio_to_plain"] = plain / one;
#ifdef QELBASE_BENCH_SPDLOG
  state.counters["spdlog_per_s"] = records / spdlogTime;
  state.counters["ratio_to_spdlog"] = spdlogTime / one;
#endif
}
BENCHMARK(TraceToFile)->Iterations(20)->UseRealTime();

}  // namespace
