/* CreateProcessW: Windows command-line splitting, the program looked up
   on PATH without regard to case or ".EXE", exit codes and waits,
   environment blocks, current folders and failures. */
#include <gtest/gtest.h>
#include <qel/win32.h>

#include <cstdlib>
#include <filesystem>

#include "platform/posix/command_line.h"
#include "support/CaseFile.h"
#include "support/Files.h"
#include "support/Platform.h"

namespace {

namespace fs = std::filesystem;
using qel::test::widen;
using qel::test::WString;

TEST(CommandLine, SplitsAsWindowsDoes) {
  for (const qel::test::Case& c : qel::test::readCases("platform/command_lines.txt")) {
    std::string words;
    for (const WString& word : qel::posix::splitCommandLine(qel::test::unescape(c[0]).c_str()))
      words += "[" + qel::test::narrow(word) + "]";
    EXPECT_EQ(words, qel::test::narrow(qel::test::unescape(c[1]))) << c.where;
  }
}

class Processes : public qel::test::ScratchTest {
 protected:
  std::string read(const std::string& name) { return qel::test::readFile(path(name)); }
  DWORD run(const std::string& line, const WCHAR* directory = nullptr, void* environment = nullptr,
            DWORD flags = 0) {
    return qel::test::runToEnd(widen(line), directory, environment, flags, &error);
  }

  DWORD error = 0;
};

TEST_F(Processes, FindsTheProgramAndPassesTheWords) {
  qel::test::writeScript(path("Show-Args"),
                         "for a in \"$@\"; do printf '[%s]' \"$a\"; done > \"" + folder_ + "/args\"");
  const qel::test::SearchPath searchPath("/nonexistent::" + folder_);
  struct Case {
    std::string line;
    DWORD exit;
    std::string args;
  } cases[] = {
      {"SHOW-ARGS.EXE a \"b c\" d\\\"e", 0, "[a][b c][d\"e]"},
      {"show-args", 0, ""},
      {"\"" + folder_ + "/show-args.exe\" x", 0, "[x]"},
      {folder_ + "\\Show-Args \"\"", 0, "[]"},
  };
  for (const Case& c : cases) {
    fs::remove(path("args"));
    EXPECT_EQ(run(c.line), c.exit) << c.line;
    EXPECT_EQ(read("args"), c.args) << c.line;
  }
}

TEST_F(Processes, ExitCodesWaitsAndSettings) {
  EXPECT_EQ(run("sh -c \"exit 7\""), 7u);
  EXPECT_EQ(run("sh -c \"kill -TERM $$\""), 128u + 15);

  const WString here = widen(folder_);
  EXPECT_EQ(run("sh -c \"pwd > where\"", here.c_str()), 0u);
  EXPECT_EQ(read("where"), fs::canonical(folder_).string() + "\n");

  const char ansi[] = "QELTEST=caf\xe9\0PATH=/usr/bin:/bin\0";
  EXPECT_EQ(run("sh -c \"printf %s \\\"$QELTEST\\\" > env\"", here.c_str(), const_cast<char*>(ansi)), 0u);
  EXPECT_EQ(read("env"), "caf\xc3\xa9");
  const WCHAR unicode[] = QEL_W("QELTEST=\u20ac\0PATH=/usr/bin:/bin\0");
  EXPECT_EQ(run("sh -c \"printf %s \\\"$QELTEST\\\" > env\"", here.c_str(), const_cast<WCHAR*>(unicode),
                CREATE_UNICODE_ENVIRONMENT),
            0u);
  EXPECT_EQ(read("env"), "\xe2\x82\xac");

  // A process still running: the wait times out and it is still active.
  WString line = QEL_W("sleep 0.3");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(
      CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20), DWORD(WAIT_TIMEOUT));
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, DWORD(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

TEST_F(Processes, Failures) {
  struct Case {
    std::string line;
    const WCHAR* directory;
    DWORD error;
  } cases[] = {
      {"no-such-program-anywhere x", nullptr, ERROR_FILE_NOT_FOUND},
      {"/no/such/folder/prog", nullptr, ERROR_FILE_NOT_FOUND},
      {"   ", nullptr, ERROR_INVALID_PARAMETER},
      {"sh -c true", QEL_W("/no/such/folder"), ERROR_DIRECTORY},
  };
  for (const Case& c : cases) {
    error = 0;
    EXPECT_EQ(run(c.line, c.directory), ~0u) << c.line;
    EXPECT_EQ(error, c.error) << c.line;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  EXPECT_FALSE(
      CreateProcessW(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  // Handles that are not processes.
  DWORD code;
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x7777), 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  HANDLE file = CreateFileW(widen(path("f")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WaitForSingleObject(file, 0), WAIT_FAILED);
  EXPECT_FALSE(GetExitCodeProcess(file, &code));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  CloseHandle(file);
}

}  // namespace
