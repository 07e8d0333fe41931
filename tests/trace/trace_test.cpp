/* TraceInit's settings and defaults, the gates and the exact records; the
   trace file under load (the size limit, many writers) and the mailslot
   channel; on POSIX, against our layer's own hooks: a clock that runs
   ahead for the day roll, forked writers, an event log that records
   instead of calling syslog, and the debugger's output file. */
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#ifndef _WIN32
#include <syslog.h>

#include "platform/posix/syscalls.h"
#endif

#include "TraceFixture.h"
#include "support/Platform.h"

namespace {

using qel::test::expectAllRecords;
using qel::test::kAllLevels;
using qel::test::kFileOn;
using qel::test::kPadding;
using qel::test::TraceTest;
using qel::test::widen;
using qel::test::WString;

TEST_F(TraceTest, SettingsDefaultsAndGates) {
  TraceObject t{};
  TraceInit(&t, QEL_W("SOFTWARE\\QelTraceTest\\NoSuchKey"), QEL_W("app"), 0);
  EXPECT_EQ(t.nSizeKB, 10000);
  EXPECT_EQ(t.bFile | t.bDebug | t.bEventLog | t.bMailslot | LONG(t.dwLevelMask), 0);
  EXPECT_EQ(t.szFileName[0], 0);
  const WORD types[6] = {4, 0, 4, 2, 1, 4};
  EXPECT_EQ(std::memcmp(t.awEventType, types, sizeof types), 0);

  configure({{QEL_W("TRACESIZE"), DWORD(0)},
             {QEL_W("TRACEDAYS"), DWORD(7)},
             {QEL_W("TRACELEVEL"), DWORD(0x10)},
             {QEL_W("TRACEMAILSLOT"), DWORD(9)},  // any nonzero value is on, kept as it is
             {QEL_W("DISABLED_FACILITIES"), QEL_W("1, 5;300 x7")},
             {QEL_W("EVENTSOURCE"), QEL_W("a source name of thirty characters")},
             {QEL_W("MAILSLOT"), QEL_W("watch")},
             {QEL_W("DEFAULT_TRACEFILE"), QEL_W("fallback")}});
  init(t, nullptr);
  EXPECT_EQ(t.nSizeKB, 0);
  EXPECT_EQ(t.nDays, 7);
  EXPECT_EQ(t.bMailslot, 9);
  EXPECT_EQ(t.bWinNT, 1);
  EXPECT_EQ(WString(t.szEventSource), QEL_W("QELORA-STDTrace"));  // too long for its field
  EXPECT_EQ(WString(t.szMailslot), QEL_W("\\\\*\\mailslot\\watch"));
  EXPECT_EQ(WString(t.szBaseName), widen(folder_ + "/") + QEL_W("fallback"));
  // clang-format off
  const struct { ULONG facility; LONG enabled; } facilities[] = {{0, 1}, {1, 0}, {5, 0}, {7, 0}, {255, 1}, {256, 1}, {300, 1}};
  const struct { ULONG level; LONG enabled; } levels[] = {{5, 1}, {4, 0}, {6, 0}, {0, 0}, {37, 1}};
  // clang-format on
  for (const auto& f : facilities)
    EXPECT_EQ(TraceFacilityEnabled(&t, 0, f.facility), f.enabled) << f.facility;
  for (const auto& l : levels) EXPECT_EQ(TraceLevelEnabled(&t, l.level), l.enabled) << l.level;
  t.dwLevelMask = 0x80000001;
  EXPECT_EQ(TraceLevelEnabled(&t, 0), 1);   // level 0 is bit 31
  EXPECT_EQ(TraceLevelEnabled(&t, 33), 1);  // and 33 wraps to bit 0
  EXPECT_EQ(EnableTrace(&t, 256, 0), 0);
  EXPECT_EQ(EnableTrace(&t, 7, 5), 0);
  EXPECT_EQ(EnableTrace(&t, 8, 0), 1);
  EXPECT_EQ(TraceFacilityEnabled(&t, 0, 7), 5);

  // The default object takes its first initialisation only.
  TraceInit(&TraceObj, keyPath_.c_str(), QEL_W("first"), 0);
  EXPECT_EQ(bTraceObjInitialized, 1);
  EXPECT_EQ(pTraceObj, &TraceObj);
  TraceObj.nDays = 99;
  TraceInit(&TraceObj, QEL_W("SOFTWARE\\QelTraceTest\\NoSuchKey"), QEL_W("second"), 0);
  EXPECT_EQ(TraceObj.nDays, 99);
  EXPECT_EQ(WString(TraceObj.szBaseName), widen(folder_ + "/") + QEL_W("first"));
}

// A record line holds 2,047 characters: 18 of prefix and what fits of the
// text, the blank and the extra text.
TEST_F(TraceTest, LongRecordsAreCut) {
  configure({kFileOn, kAllLevels});
  TraceObject t{};
  init(t);
  const struct {
    size_t text;
    const WCHAR* extra;
    std::string tail;  // the end of the line after the text's x
  } cases[] = {{3000, nullptr, ""},       {2029, QEL_W("yz"), ""},    {2028, QEL_W("yz"), " "},
               {2027, QEL_W("yz"), " y"}, {2026, QEL_W("yz"), " yz"}, {10, QEL_W("yz"), " yz"}};
  for (const auto& c : cases) Trace(&t, 2, WString(c.text, u'x').c_str(), c.extra);
  const auto got = lines(narrowName(t.szFileName));
  ASSERT_EQ(got.size(), 2 + std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string& line = got[2 + i];
    const size_t xs = std::min<size_t>(cases[i].text, 2029);
    EXPECT_EQ(line.size(), std::min<size_t>(18 + cases[i].text + (cases[i].extra ? 3 : 0), 2047)) << i;
    EXPECT_EQ(line.substr(18), std::string(xs, 'x') + cases[i].tail) << i;
  }
}

TEST_F(TraceTest, RecordsInTheFile) {
  configure({kFileOn, kAllLevels, {QEL_W("DISABLED_FACILITIES"), QEL_W("17 3")}});
  TraceObject t{};
  init(t);
  const std::string file = narrowName(t.szFileName);
  ASSERT_EQ(file, folder_ + "/app" + narrowName(t.szFileName).substr(folder_.size() + 4, 8) + ".log");
  Trace(&t, 2, QEL_W("Connection opened"), nullptr);
  Trace(&t, 3, nullptr, nullptr);
  Trace(&t, 4, QEL_W("text"), QEL_W(""));
  Trace(&t, 9, QEL_W("high"), QEL_W("extra"));
  Trace(&t, 1, QEL_W("\u00e4\u03a9"), nullptr);  // a byte in the "C" locale, else '?'
  TraceVA(&t, 2, QEL_W("%s=%d"), QEL_W("x"), 42);
  TraceVAF(&t, 2, 17, QEL_W("filtered"));
  TraceVAF(&t, 2, 16, QEL_W("facility %c"), u'G');
  t.dwLevelMask = 0;
  TraceVA(&t, 2, QEL_W("gated"));
  Trace(&t, 2, QEL_W("ungated"), nullptr);
  // clang-format off
  const std::vector<std::pair<char, std::string>> expected{
      {'A', "\\*\\*\\* T R A C E   S T A R T E D"}, {'A', "\\*\\*\\* Disabled Facilities: 3, 17"},
      {'I', "Connection opened"}, {'W', ""}, {'E', "text "}, {'?', "high extra"}, {'D', ".\\?"}, {'I', "x=42"},
      {'I', "facility G"}, {'I', "ungated"}};
  // clang-format on
  const auto got = lines(file);
  ASSERT_EQ(got.size(), expected.size());
  EXPECT_EQ(got[6][18], '\xe4');
  for (size_t i = 0; i < got.size(); ++i)
    EXPECT_TRUE(std::regex_match(got[i], prefixed(expected[i].first, expected[i].second))) << got[i];
}

TEST_F(TraceTest, Dumps) {
  configure({kFileOn, kAllLevels, {QEL_W("DISABLED_FACILITIES"), QEL_W("4")}});
  TraceObject t{};
  init(t);
  WString text;
  for (int i = 0; i < 130; ++i) text += WCHAR('a' + i % 26);
  text[125] = 0;
  TraceAscii(&t, 2, QEL_W("text"), text.data(), 130);
  TraceAscii(&t, 2, QEL_W("none"), text.data(), 0);
  const BYTE bytes[33] = {0x41, 0x42, 0x01};
  TraceHex(&t, 3, QEL_W("three"), bytes, 3);
  TraceHex(&t, 3, QEL_W("more"), bytes, 33);
  TraceHexF(&t, 3, 4, QEL_W("filtered"), bytes, 3);
  TraceAsciiF(&t, 3, 4, QEL_W("filtered"), text.data(), 3);
  const auto got = lines(narrowName(t.szFileName));
  auto times = [](const std::string& piece, int n) {
    std::string out;
    while (n--) out += piece;
    return out;
  };
  const std::string fillers = times("-- ", 29);
  ASSERT_EQ(got.size(), 2u + 4 + 1 + 2 + 3);
  EXPECT_TRUE(std::regex_match(got[2], prefixed('I', "ASCII Dump: text \\(130 Chars\\)")));
  EXPECT_EQ(got[3], qel::test::narrow(WString(text.data(), 60)));
  EXPECT_EQ(got[4], qel::test::narrow(WString(text.data() + 60, 60)));
  EXPECT_EQ(got[5],
            "     " + qel::test::narrow(WString(text.data() + 120, 5)));  // the NUL leaves blanks in front
  EXPECT_TRUE(std::regex_match(got[6], prefixed('I', "ASCII Dump: none \\(0 Chars\\)")));
  EXPECT_TRUE(std::regex_match(got[7], prefixed('W', "HEX Dump: three \\(3 Bytes\\)")));
  EXPECT_EQ(got[8], "41 42 01 " + fillers + "     AB_");
  EXPECT_EQ(got[10], "41 42 01 " + times("00 ", 29) + "     AB_" + std::string(29, '_'));
  EXPECT_EQ(got[11], "00 " + fillers + "-- -- " + "     _");
}

TEST_F(TraceTest, SizeLimitKeepsTheLastThird) {
  configure({kFileOn, kAllLevels, {QEL_W("TRACESIZE"), DWORD(1)}});
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

TEST_F(TraceTest, ThreadsShareOneObject) {
  // The file and the process-wide mailslot handle, which the first record opens.
  const WString name = qel::test::wprintf(QEL_W("qelthreads-%d"), int(GetCurrentProcessId()));
  HANDLE slot = CreateMailslotW((QEL_W("\\\\.\\mailslot\\") + name).c_str(), 0, 0, nullptr);
  ASSERT_NE(slot, INVALID_HANDLE_VALUE);
  configure({kFileOn, kAllLevels, {QEL_W("TRACEMAILSLOT"), DWORD(1)}, {QEL_W("MAILSLOT"), name.c_str()}});
  TraceObject t{};
  init(t);
  std::vector<std::thread> threads;
  for (int w = 0; w < 4; ++w)
    threads.emplace_back([&t, w] {
      for (int i = 0; i < 10000; ++i) TraceVA(&t, 2, QEL_W("writer %d record %d %s"), w, i, kPadding);
    });
  for (auto& th : threads) th.join();
  expectAllRecords(lines(narrowName(t.szFileName)), 4, 10000);
  // What the listener holds came whole (the rest was lost when it was full).
  WCHAR buffer[2048];
  for (DWORD size = 0; ReadFile(slot, buffer, sizeof buffer, &size, nullptr);) {
    ASSERT_EQ(buffer[size / 2 - 1], 0);
    EXPECT_EQ(WString(buffer).size(), size / 2 - 1);
  }
  CloseHandle(slot);
}

TEST_F(TraceTest, MailslotDeliveryAndSilence) {
  const WString name = qel::test::wprintf(QEL_W("qeltest-%d"), int(GetCurrentProcessId()));
  const WString server = QEL_W("\\\\.\\mailslot\\") + name;
  HANDLE slot = CreateMailslotW(server.c_str(), 0, 2000, nullptr);
  ASSERT_NE(slot, INVALID_HANDLE_VALUE);
  configure({{QEL_W("TRACEMAILSLOT"), DWORD(1)}, kAllLevels, {QEL_W("MAILSLOT"), name.c_str()}});
  TraceObject t{};
  init(t);
  Trace(&t, 4, QEL_W("to the listener"), QEL_W("now"));
  // Wine has no domain-wide ("\\*") mailslots: there the records are lost
  // as when nobody listens.
  const int delivered = qel::test::underWine() ? 0 : 3;
  std::vector<WString> messages;
  for (int i = 0; i < delivered; ++i) {
    WCHAR buffer[2048];
    DWORD size = 0;
    ASSERT_TRUE(ReadFile(slot, buffer, sizeof buffer, &size, nullptr)) << GetLastError();
    ASSERT_EQ(size % 2, 0u);
    ASSERT_EQ(buffer[size / 2 - 1], 0) << "the terminator travels with the line";
    messages.emplace_back(buffer, size / 2 - 1);
  }
  if (delivered) {
    EXPECT_NE(messages[0].find(QEL_W(" *** T R A C E   S T A R T E D")), WString::npos);
    EXPECT_EQ(messages[2].size(), 18 + 19u);
    EXPECT_EQ(messages[2].substr(0, 1), QEL_W("E"));
    EXPECT_EQ(messages[2].substr(18), QEL_W("to the listener now"));
  }
  DWORD size = 0;
  WCHAR buffer[16];
  EXPECT_FALSE(ReadFile(slot, buffer, sizeof buffer, &size, nullptr));  // nothing more, the wait ends
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SEM_TIMEOUT));
  CloseHandle(slot);
  for (int i = 0; i < 5; ++i) Trace(&t, 2, QEL_W("nobody listens"), nullptr);  // lost, without a fault
  EXPECT_EQ(t.bMailslot, 1);
}

#ifndef _WIN32
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
#endif

}  // namespace
