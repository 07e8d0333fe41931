/* The trace file over time and under load: the day roll with clean-up,
   the size limit, many writers, and the mailslot channel. */
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <thread>

#include "TraceFixture.h"
#include "datetime/DateTime.h"
#include "platform/posix/system_clock.h"

namespace {

using qel::test::TraceTest;
using qel::test::WString;

// YYYYMMDD of today shifted by `days`.
std::string dateIn(int days) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  TD d = TDNew();
  TDSetTime(d, now.wYear, now.wMonth, WORD(now.wDay + days + 400), 12, 0, 0, 0);
  TD back = TDNew();
  TDSetInterval(back, 0, 0, 400, 0, 0, 0, 0);
  TDSubst(d, back);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", TDGetYears(d), TDGetMonths(d), TDGetDays(d));
  TDFree(d);
  TDFree(back);
  return text;
}

long long millisecondsToMidnight() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return ((24LL - now.wHour) * 3600 - now.wMinute * 60LL - now.wSecond) * 1000 - now.wMilliseconds;
}

TEST_F(TraceTest, DayRollAndRetention) {
  configure(
      {{QEL_W("TRACEFILE"), DWORD(1)}, {QEL_W("TRACELEVEL"), DWORD(0x3F)}, {QEL_W("TRACEDAYS"), DWORD(3)}});
  const std::string base = folder_ + "/app";
  // Yesterday's and older daily files, and files that only look alike.
  for (int d = -6; d <= -1; ++d) std::ofstream(base + dateIn(d) + ".log") << "old\r\n";
  for (const char* other : {"/app.old", "/appendix20000101.log", "/app20000101.txt", "/APP20000101.LOG.bak"})
    std::ofstream(folder_ + other) << "keep\r\n";
  const long long midnight = millisecondsToMidnight();
  qel::posix::setClockShift(midnight - 2000);  // two seconds before midnight
  TraceObject t{};
  init(t);
  // Today (the shifted clock's) minus three days is the cut-off: -3 and older go.
  for (int d = -6; d <= -1; ++d) EXPECT_EQ(std::filesystem::exists(base + dateIn(d) + ".log"), d > -3) << d;
  const std::string today = base + dateIn(0) + ".log";
  qel::posix::setClockShift(midnight + 1000);  // one second after midnight
  Trace(&t, 2, QEL_W("first after midnight"), nullptr);
  Trace(&t, 2, QEL_W("second after midnight"), nullptr);
  qel::posix::setClockShift(0);
  const std::string tomorrow = base + dateIn(1) + ".log";
  const auto before = lines(today), after = lines(tomorrow);
  ASSERT_EQ(before.size(), 3u);
  EXPECT_NE(before[2].find("first after midnight"), std::string::npos);  // still in the old day's file
  ASSERT_EQ(after.size(), 1u);
  EXPECT_NE(after[0].find("second after midnight"), std::string::npos);
  EXPECT_EQ(narrowName(t.szLastFileName), tomorrow);
  EXPECT_FALSE(std::filesystem::exists(base + dateIn(-2) + ".log"));  // the new day moved the cut-off
  EXPECT_TRUE(std::filesystem::exists(base + dateIn(-1) + ".log"));
  for (const char* other : {"/app.old", "/appendix20000101.log", "/app20000101.txt", "/APP20000101.LOG.bak"})
    EXPECT_TRUE(std::filesystem::exists(folder_ + other)) << other;
}

TEST_F(TraceTest, SizeLimitKeepsTheLastThird) {
  configure(
      {{QEL_W("TRACEFILE"), DWORD(1)}, {QEL_W("TRACELEVEL"), DWORD(0x3F)}, {QEL_W("TRACESIZE"), DWORD(1)}});
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(folder_);  // the shrink's temporary file is made here
  TraceObject t{};
  init(t);
  const std::string file = narrowName(t.szFileName);
  std::string content = read(file);
  for (int i = 0; content.size() + 60 <= 1024; ++i) {
    TraceVA(&t, 2, QEL_W("record %04d of the size test"), i);
    content = read(file);
  }
  TraceVA(&t, 2, QEL_W("%s"), QEL_W("the record that crosses the limit, written in full before the cut"));
  std::filesystem::current_path(cwd);
  const std::string kept = read(file);
  const auto keptLines = lines(file);
  ASSERT_FALSE(keptLines.empty());
  const std::string whole = content + keptLines.back() + "\r\n";  // the crossing record ends the file
  ASSERT_GT(whole.size(), 1024u);
  EXPECT_EQ(kept, whole.substr(2 * whole.size() / 3));
  EXPECT_NE(kept.find("crosses the limit, written in full before the cut\r\n"), std::string::npos);
  EXPECT_EQ(t.bFile, 1);
  for (const auto& entry : std::filesystem::directory_iterator(folder_))
    EXPECT_EQ(entry.path().extension(), ".log") << "left behind: " << entry.path();
}

// Every record of every writer once, whole, in the writer's order.
void expectAllRecords(const std::vector<std::string>& got, int writers, int records) {
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

const WCHAR* kPadding = QEL_W("0123456789012345678901234567890123456789");

TEST_F(TraceTest, ThreadsShareOneObject) {
  configure({{QEL_W("TRACEFILE"), DWORD(1)}, {QEL_W("TRACELEVEL"), DWORD(0x3F)}});
  TraceObject t{};
  init(t);
  std::vector<std::thread> threads;
  for (int w = 0; w < 4; ++w)
    threads.emplace_back([&t, w] {
      for (int i = 0; i < 10000; ++i) TraceVA(&t, 2, QEL_W("writer %d record %d %s"), w, i, kPadding);
    });
  for (auto& th : threads) th.join();
  expectAllRecords(lines(narrowName(t.szFileName)), 4, 10000);
}

TEST_F(TraceTest, ProcessesShareOneFile) {
  configure({{QEL_W("TRACEFILE"), DWORD(1)}, {QEL_W("TRACELEVEL"), DWORD(0x3F)}});
  int ready[2], go[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> children;
  for (int w = 0; w < 4; ++w) {
    pid_t pid = fork();
    if (pid == 0) {
      TraceObject t{};
      init(t);  // opens the file exclusively once, while the others wait
      char c = 'r';
      if (write(ready[1], &c, 1) != 1 || ::read(go[0], &c, 1) != 1) _exit(2);
      for (int i = 0; i < 2500; ++i) TraceVA(&t, 2, QEL_W("writer %d record %d %s"), w, i, kPadding);
      _exit(t.bFile ? 0 : 3);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);  // one initialisation at a time
    children.push_back(pid);
  }
  ASSERT_EQ(write(go[1], "gggg", 4), 4);
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string file = folder_ + "/app" + dateIn(0) + ".log";
  const auto got = lines(file);
  EXPECT_EQ(got.size(), 4u * 2 + 4 * 2500);
  expectAllRecords(got, 4, 2500);
}

TEST_F(TraceTest, MailslotDeliveryAndSilence) {
  const WString name = qel::test::wprintf(QEL_W("qeltest-%d"), int(getpid()));
  const WString server = QEL_W("\\\\.\\mailslot\\") + name;
  HANDLE slot = CreateMailslotW(server.c_str(), 0, 2000, nullptr);
  ASSERT_NE(slot, INVALID_HANDLE_VALUE);
  configure({{QEL_W("TRACEMAILSLOT"), DWORD(1)},
             {QEL_W("TRACELEVEL"), DWORD(0x3F)},
             {QEL_W("MAILSLOT"), name.c_str()}});
  TraceObject t{};
  init(t);
  Trace(&t, 4, QEL_W("to the listener"), QEL_W("now"));
  std::vector<WString> messages;
  for (int i = 0; i < 3; ++i) {
    WCHAR buffer[2048];
    DWORD size = 0;
    ASSERT_TRUE(ReadFile(slot, buffer, sizeof buffer, &size, nullptr)) << GetLastError();
    ASSERT_EQ(size % 2, 0u);
    ASSERT_EQ(buffer[size / 2 - 1], 0) << "the terminator travels with the line";
    messages.emplace_back(buffer, size / 2 - 1);
  }
  EXPECT_NE(messages[0].find(QEL_W(" *** T R A C E   S T A R T E D")), WString::npos);
  EXPECT_EQ(messages[2].size(), 18 + 19u);
  EXPECT_EQ(messages[2].substr(0, 1), QEL_W("E"));
  EXPECT_EQ(messages[2].substr(18), QEL_W("to the listener now"));
  DWORD size = 0;
  WCHAR buffer[16];
  EXPECT_FALSE(ReadFile(slot, buffer, sizeof buffer, &size, nullptr));  // nothing more, the wait ends
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SEM_TIMEOUT));
  CloseHandle(slot);
  for (int i = 0; i < 5; ++i) Trace(&t, 2, QEL_W("nobody listens"), nullptr);  // lost, without a fault
  EXPECT_EQ(t.bMailslot, 1);
}

}  // namespace
