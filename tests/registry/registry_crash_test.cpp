/* Registry imports killed at a random moment: every key of the file is
   either absent or whole (what a refused line keeps is the scripts' suite's). */
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "registry/RegistryScripts.h"
#include "support/ScratchRegistry.h"
#include "support/WideText.h"

namespace {

using qel::test::widen;
using qel::test::WString;

const qel::test::ScratchRegistry scratch;

constexpr int kKeys = 50, kValues = 400;

std::string keyPath(int round, int key) {
  return "Software\\QelCrash\\R" + std::to_string(round) + "\\K" + std::to_string(key);
}

// kKeys sections of kValues string values each.
std::string writeFile(int round) {
  const std::string name = scratch.folder() + "/crash" + std::to_string(round) + ".reg";
  std::ofstream out(name, std::ios::binary);
  out << "REGEDIT4\r\n";
  for (int k = 0; k < kKeys; ++k) {
    out << "\r\n[HKEY_CURRENT_USER\\" << keyPath(round, k) << "]\r\n";
    for (int v = 0; v < kValues; ++v) out << "\"v" << v << "\"=\"value " << v << " of key " << k << "\"\r\n";
  }
  return name;
}

// Values of the key, or -1 when it does not exist.
long valueCount(int round, int key) {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, widen(keyPath(round, key)).c_str(), 0, KEY_READ, &handle)) return -1;
  DWORD values = 0;
  RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                   nullptr, nullptr);
  RegCloseKey(handle);
  return long(values);
}

pid_t importInChild(const std::string& file) {
  pid_t pid = fork();
  if (pid == 0) {
    QELFileNameList files{widen(file)};
    _exit(QEL_RegImport(&files) == 0 ? 0 : 1);
  }
  return pid;
}

TEST(RegistryImportCrash, EveryKeyIsWholeOrAbsentAfterAKill) {
  // One import to the end sets the time scale and shows every key whole.
  const auto began = std::chrono::steady_clock::now();
  int status = 0;
  waitpid(importInChild(writeFile(0)), &status, 0);
  const auto full = std::chrono::steady_clock::now() - began;
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (int k = 0; k < kKeys; ++k) ASSERT_EQ(valueCount(0, k), kValues) << k;

  std::mt19937 random(20261207);
  int interrupted = 0;
  for (int round = 1; round <= 20; ++round) {
    const std::string file = writeFile(round);
    pid_t child = importInChild(file);
    std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(full) *
                                std::uniform_real_distribution<double>(0.05, 0.95)(random));
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    interrupted += WIFSIGNALED(status);
    int whole = 0;
    for (int k = 0; k < kKeys; ++k) {
      const long count = valueCount(round, k);
      EXPECT_TRUE(count == -1 || count == kValues) << "round " << round << " key " << k << ": " << count;
      whole += count == kValues;
    }
    // Sections are imported in order: the whole keys come first.
    for (int k = 0; k < whole; ++k) EXPECT_EQ(valueCount(round, k), kValues) << "round " << round;
  }
  EXPECT_GT(interrupted, 0);
}

}  // namespace
