/*
 * Records per second into the trace file channel, next to spdlog's basic
 * file sink with the same flush policy: every record reaches the file
 * before the call returns (our trace opens, appends and closes the file
 * per record; spdlog keeps it open and flushes after each message).
 * Both write lines of the same length into a scratch folder.
 */
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

void TraceToFile(benchmark::State& state) {
  TraceObject& t = traceObject();
  int i = 0;
  for (auto _ : state)
    TraceVA(&t, 2, QEL_W("record %d of the trace benchmark, a line of ordinary length"), i++);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(TraceToFile);

// The least a shared file needs per record: open for appending, write the
// same bytes, close.  The trace's rate against this one is its overhead.
void PlainAppend(benchmark::State& state) {
  const std::string file = scratch() + "/plain.log";
  const std::string line =
      "I071226 120000000 record 1234 of the trace benchmark, a line of ordinary length\r\n";
  for (auto _ : state) {
    int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    benchmark::DoNotOptimize(write(fd, line.data(), line.size()));
    close(fd);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PlainAppend);

#ifdef QELBASE_BENCH_SPDLOG
void SpdlogBasicFileSink(benchmark::State& state) {
  static auto logger = [] {
    auto l = spdlog::basic_logger_mt("bench", scratch() + "/spdlog.log");
    l->set_pattern("%L%d%m%y %H%M%S%e %v");  // a prefix of the same length
    l->flush_on(spdlog::level::trace);       // every record flushed, as the trace does
    return l;
  }();
  int i = 0;
  for (auto _ : state) logger->info("record {} of the trace benchmark, a line of ordinary length", i++);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SpdlogBasicFileSink);
#endif

}  // namespace
