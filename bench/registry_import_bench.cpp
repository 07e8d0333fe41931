/* Import throughput of REGEDIT4 files, in values per second, for files of
   1,000 and 20,000 keys of 10 values: equal rates mean time in proportion
   to the file's size.  Each run imports into a fresh store of its own. */
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "registry/RegistryScripts.h"

namespace {

constexpr int kValuesPerKey = 10;

std::string scratchFolder() {
  static const std::string folder = [] {
    char name[] = "/tmp/qelbase-import-bench-XXXXXX";
    return std::string(mkdtemp(name));
  }();
  return folder;
}

std::string writeFile(int keys) {
  const std::string name = scratchFolder() + "/import" + std::to_string(keys) + ".reg";
  std::ofstream out(name, std::ios::binary);
  out << "REGEDIT4\r\n";
  for (int k = 0; k < keys; ++k) {
    out << "\r\n[HKEY_CURRENT_USER\\Software\\QelBench\\Key" << k << "]\r\n";
    for (int v = 0; v < kValuesPerKey; ++v)
      out << "\"Value" << v << "\"=\"some text of value " << v << " of key " << k << "\"\r\n";
  }
  return name;
}

void ImportFile(benchmark::State& state) {
  const int keys = int(state.range(0));
  const std::string file = writeFile(keys);
  const QELFileNameList files{std::basic_string<WCHAR>(file.begin(), file.end())};
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // A store of its own for each run (a new process's connection).
    const std::string store = scratchFolder() + "/store" + std::to_string(keys) + "-" + std::to_string(run++);
    setenv("QELBASE_REGISTRY", store.c_str(), 1);
    state.ResumeTiming();
    pid_t child = fork();
    if (child == 0) _exit(QEL_RegImport(&files) == 0 ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("the import failed");
  }
  state.counters["values/s"] = benchmark::Counter(double(keys) * kValuesPerKey * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(ImportFile)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

struct Cleanup {
  ~Cleanup() { std::filesystem::remove_all(scratchFolder()); }
} cleanup;

}  // namespace
