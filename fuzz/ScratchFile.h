/* Fuzz inputs as files in a scratch folder, beside a scratch registry store. */
#ifndef QEL_FUZZ_SCRATCH_FILE_H
#define QEL_FUZZ_SCRATCH_FILE_H

#include <qel/win32.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Writes the input to NAME in the folder; empty when it cannot.
inline std::basic_string<WCHAR> scratchFile(const char* name, const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    char pattern[] = "/tmp/qelbase-fuzz-XXXXXX";
    std::string f = mkdtemp(pattern);
    setenv("QELBASE_REGISTRY", (f + "/registry.db").c_str(), 1);
    return f;
  }();
  const std::string path = folder + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return {};
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  return std::basic_string<WCHAR>(path.begin(), path.end());
}

#endif
