/* What the trace tests share: settings under a key of their own, a folder
   for the files, and reading those files back. */
#ifndef QEL_TESTS_TRACE_FIXTURE_H
#define QEL_TESTS_TRACE_FIXTURE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <variant>
#include <vector>

#include "support/Files.h"
#include "support/ScratchRegistry.h"
#include "support/WideText.h"
#include "trace/Trace.h"

namespace qel::test {

using Setting = std::pair<const WCHAR*, std::variant<DWORD, const WCHAR*>>;

// A key with these values.
inline void writeSettings(const WString& keyPath, const std::vector<Setting>& settings,
                          HKEY root = HKEY_LOCAL_MACHINE) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  for (const auto& [name, value] : settings) {
    if (const DWORD* number = std::get_if<DWORD>(&value)) {
      RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(number), 4);
    } else {
      const WCHAR* text = std::get<const WCHAR*>(value);
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     DWORD((std::char_traits<WCHAR>::length(text) + 1) * sizeof(WCHAR)));
    }
  }
  RegCloseKey(key);
}

inline ScratchRegistry& traceRegistry() {
  static ScratchRegistry registry;  // the folder goes when the process ends
  return registry;
}

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    traceRegistry();
    folder_ =
        traceRegistry().folder() + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(folder_);
    keyPath_ = WString(QEL_W("SOFTWARE\\QelTraceTest\\")) +
               widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  // The settings key with these values; TRACEPATH defaults to the folder.
  void configure(std::vector<Setting> settings) {
    bool pathGiven = false;
    for (const auto& [name, value] : settings) pathGiven |= WString(name) == QEL_W("TRACEPATH");
    const WString path = widen(folder_ + "/");
    if (!pathGiven) settings.emplace_back(QEL_W("TRACEPATH"), path.c_str());
    writeSettings(keyPath_, settings);
  }

  void init(TraceObject& t, const WCHAR* name = QEL_W("app"), LONG appendPid = 0) {
    TraceInit(&t, keyPath_.c_str(), name, appendPid);
  }

  static std::string read(const std::string& path) { return readFile(path); }
  static std::string narrowName(const WCHAR* name) { return narrow(name); }

  // The lines of a file, each without its CR LF (a line without one fails).
  static std::vector<std::string> lines(const std::string& path) {
    std::vector<std::string> out;
    const std::string text = read(path);
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find("\r\n", at);
      EXPECT_NE(end, std::string::npos) << "a line without CR LF at byte " << at;
      if (end == std::string::npos) break;
      out.push_back(text.substr(at, end - at));
      at = end + 2;
    }
    return out;
  }

  // The prefix of a record of this letter written today.
  static std::regex prefixed(char letter, const std::string& rest) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[16];
    std::snprintf(date, sizeof date, "%02d%02d%02d", now.wDay, now.wMonth, now.wYear % 100);
    return std::regex((letter == '?' ? std::string("\\?") : std::string(1, letter)) + date + " [0-9]{9} " +
                      rest);
  }

  std::string folder_;
  WString keyPath_;
};

// Every record of every writer once, whole, in the writer's order.
inline void expectAllRecords(const std::vector<std::string>& got, int writers, int records) {
  std::map<int, int> next;
  const std::regex record("I[0-9]{6} [0-9]{9} writer ([0-9]+) record ([0-9]+) .{40}");
  std::smatch m;
  int seen = 0;
  for (const std::string& line : got) {
    if (line.find("*** ") != std::string::npos) continue;  // start records
    ASSERT_TRUE(std::regex_match(line, m, record)) << line;
    int writer = std::stoi(m[1]), number = std::stoi(m[2]);
    EXPECT_EQ(number, next[writer]++) << line;
    ++seen;
  }
  EXPECT_EQ(seen, writers * records);
}

// The file channel, and every level.
inline const Setting kFileOn{QEL_W("TRACEFILE"), DWORD(1)}, kAllLevels{QEL_W("TRACELEVEL"), DWORD(0x3F)};

inline const WCHAR* const kPadding = QEL_W("0123456789012345678901234567890123456789");

}  // namespace qel::test

#endif
