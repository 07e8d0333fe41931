/* The trace facility against our POSIX layer's own hooks: a clock that runs
   ahead for the day roll, forked writers, an event log that records instead
   of calling syslog, and the debugger's output file. */
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "TraceFixture.h"
#include "platform/posix/syscalls.h"

namespace {

namespace sys = qel::posix::sys;

// The clock, `shift` milliseconds ahead (0: the system's again).
std::atomic<long long> shift{0};
int shiftedClock(clockid_t clock, timespec* ts) {
  const int result = sys::kSystemCalls.clock_gettime(clock, ts);
  const long long ns = ts->tv_nsec + (shift % 1000) * 1000000;
  ts->tv_sec += time_t(shift / 1000 + (ns < 0 ? -1 : ns / 1000000000));
  ts->tv_nsec = long((ns % 1000000000 + 1000000000) % 1000000000);
  return result;
}
void setClockShift(long long milliseconds) {
  shift = milliseconds;
  sys::calls.clock_gettime = milliseconds ? shiftedClock : sys::kSystemCalls.clock_gettime;
}

// The events reported while recording: ident, priority and message.
struct Event {
  std::string ident;
  int priority;
  std::string message;
};
std::vector<Event> events;
int reportsFailWith = 0;
int recordEvent(const char* ident, int priority, const char* message) {
  if (reportsFailWith) return reportsFailWith;
  events.push_back({ident, priority, message});
  return 0;
}
// Records the events from now on, until the object goes.
struct EventRecorder {
  EventRecorder() {
    events.clear();
    sys::calls.reportEvent = recordEvent;
  }
  ~EventRecorder() {
    reportsFailWith = 0;
    sys::calls.reportEvent = sys::kSystemCalls.reportEvent;
  }
};

using qel::test::expectAllRecords;
using qel::test::kAllLevels;
using qel::test::kFileOn;
using qel::test::kPadding;
using qel::test::TraceTest;
using qel::test::WString;

// YYYYMMDD of today shifted by `days`.
std::string dateIn(int days) {
  using namespace std::chrono;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const year_month_day day{sys_days{year{now.wYear} / now.wMonth / now.wDay} + std::chrono::days{days}};
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02u%02u", int(day.year()), unsigned(day.month()),
                unsigned(day.day()));
  return text;
}

long long millisecondsToMidnight() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return ((24LL - now.wHour) * 3600 - now.wMinute * 60LL - now.wSecond) * 1000 - now.wMilliseconds;
}

TEST_F(TraceTest, DayRollAndRetention) {
  configure({kFileOn, kAllLevels, {QEL_W("TRACEDAYS"), DWORD(3)}});
  const std::string base = folder_ + "/app";
  // Yesterday's and older daily files, and files that only look alike.
  for (int d = -6; d <= -1; ++d) std::ofstream(base + dateIn(d) + ".log") << "old\r\n";
  for (const char* other : {"/app.old", "/appendix20000101.log", "/app20000101.txt", "/APP20000101.LOG.bak"})
    std::ofstream(folder_ + other) << "keep\r\n";
  const long long midnight = millisecondsToMidnight();
  setClockShift(midnight - 2000);  // two seconds before midnight
  TraceObject t{};
  init(t);
  // Today (the shifted clock's) minus three days is the cut-off: -3 and older go.
  for (int d = -6; d <= -1; ++d) EXPECT_EQ(std::filesystem::exists(base + dateIn(d) + ".log"), d > -3) << d;
  const std::string today = base + dateIn(0) + ".log";
  setClockShift(midnight + 1000);  // one second after midnight
  Trace(&t, 2, QEL_W("first after midnight"), nullptr);
  Trace(&t, 2, QEL_W("second after midnight"), nullptr);
  setClockShift(0);
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

// Writers that start together and initialise again between their records
// (each initialisation holds the file alone for a moment): nothing lost,
// nothing torn, no channel switched off by a neighbour's brief hold.
TEST_F(TraceTest, ProcessesShareOneFile) {
  configure({kFileOn, kAllLevels});
  constexpr int kWriters = 4, kRecords = 10000, kInits = 4;
  EXPECT_TRUE(qel::test::inChildren(kWriters, [&](int w) {
    TraceObject t{};
    for (int i = 0; i < kRecords; ++i) {
      if (i % (kRecords / kInits) == 0) init(t);
      TraceVA(&t, 2, QEL_W("writer %d record %d %s"), w, i, kPadding);
    }
    return t.bFile && t.dwLevelMask ? 0 : 3;
  }));
  const std::string file = folder_ + "/app" + dateIn(0) + ".log";
  const auto got = lines(file);
  EXPECT_EQ(got.size(), size_t(kWriters * kInits * 2 + kWriters * kRecords));
  expectAllRecords(got, kWriters, kRecords);
}

TEST_F(TraceTest, FileThatCannotBeOpenedSwitchesTheFileChannelOff) {
  const EventRecorder recorder;
  configure({kFileOn,
             {QEL_W("TRACEDEBUG"), DWORD(1)},
             {QEL_W("TRACEEVENTLOG"), DWORD(1)},
             kAllLevels,
             {QEL_W("EVENTSOURCE"), QEL_W("QelTest")},
             {QEL_W("TRACEPATH"), QEL_W("/nonexistent/folder/")}});
  TraceObject t{};
  init(t);
  EXPECT_EQ(t.bFile | t.bDebug | LONG(t.dwLevelMask), 0);
  EXPECT_EQ(t.szFileName[0], 0);
  TraceVA(&t, 2, QEL_W("gated"));           // the level mask is 0 now
  Trace(&t, 3, QEL_W("warning"), nullptr);  // still reaches the event log
  TraceHex(&t, 3, QEL_W("gated"), nullptr, 0);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].ident, "QelTest");
  EXPECT_EQ(events[2].priority, LOG_WARNING);
  EXPECT_NE(events[0].message.find("*** T R A C E   S T A R T E D"), std::string::npos);

  // The source's registration, and a failing report switching the channel off.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          QEL_W("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\QelTest"), 0,
                          KEY_READ, &key),
            ERROR_SUCCESS);
  WCHAR file[64];
  DWORD size = sizeof file, type = 0, types = 0, typesSize = 4;
  EXPECT_EQ(
      RegQueryValueExW(key, QEL_W("EventMessageFile"), nullptr, &type, reinterpret_cast<BYTE*>(file), &size),
      0);
  EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
  EXPECT_EQ(WString(file), QEL_W("%SystemRoot%\\System\\QelTest.msg"));
  EXPECT_EQ(size, sizeof(QEL_W("%SystemRoot%\\System\\QelTest.msg")));
  EXPECT_EQ(RegQueryValueExW(key, QEL_W("TypesSupported"), nullptr, nullptr, reinterpret_cast<BYTE*>(&types),
                             &typesSize),
            0);
  EXPECT_EQ(types, 7u);
  RegCloseKey(key);
  reportsFailWith = EIO;
  Trace(&t, 2, QEL_W("lost"), nullptr);
  EXPECT_EQ(t.bEventLog, 0);
}

TEST_F(TraceTest, DumpIsOneEventOfAtMostAHundredStrings) {
  const EventRecorder recorder;
  const std::string debug = folder_ + "/debug.txt";
  setenv("QELBASE_DEBUG_OUTPUT", debug.c_str(), 1);
  configure({{QEL_W("TRACEEVENTLOG"), DWORD(1)}, {QEL_W("TRACEDEBUG"), DWORD(1)}, kAllLevels});
  TraceObject t{};
  init(t);
  std::vector<BYTE> data(32 * 120, 0x61);
  TraceHex(&t, 1, QEL_W("big"), data.data(), LONG(data.size()));
  unsetenv("QELBASE_DEBUG_OUTPUT");
  ASSERT_EQ(events.size(), 3u);  // the two start records, then the dump
  // One event of a hundred strings, each a line: the header and 99 rows.
  const std::string& dump = events[2].message;
  EXPECT_NE(dump.find("HEX Dump: big (3840 Bytes)\n"), std::string::npos);
  EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 100);
  EXPECT_EQ(dump.back(), '\n');
  // The debugger gets every line, each followed by a line feed of its own.
  const std::string text = read(debug);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 1 + 120);
}

}  // namespace
