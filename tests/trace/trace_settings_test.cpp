/* TraceInit's settings and defaults, the gates, and the exact records. */
#include <cstring>

#include "TraceFixture.h"
#include "platform/posix/event_log.h"

namespace {

using qel::test::TraceTest;
using qel::test::WString;

TEST_F(TraceTest, SettingsDefaultsAndGates) {
  TraceObject t{};
  TraceInit(&t, u"SOFTWARE\\QelTraceTest\\NoSuchKey", u"app", 0);
  EXPECT_EQ(t.nSizeKB, 10000);
  EXPECT_EQ(t.bFile | t.bDebug | t.bEventLog | t.bMailslot | LONG(t.dwLevelMask), 0);
  EXPECT_EQ(t.szFileName[0], 0);
  const WORD types[6] = {4, 0, 4, 2, 1, 4};
  EXPECT_EQ(std::memcmp(t.awEventType, types, sizeof types), 0);

  configure({{u"TRACESIZE", DWORD(0)},
             {u"TRACEDAYS", DWORD(7)},
             {u"TRACELEVEL", DWORD(0x10)},
             {u"TRACEMAILSLOT", DWORD(9)},  // any nonzero value is on, kept as it is
             {u"DISABLED_FACILITIES", u"1, 5;300 x7"},
             {u"EVENTSOURCE", u"a source name of thirty characters"},
             {u"MAILSLOT", u"watch"},
             {u"DEFAULT_TRACEFILE", u"fallback"}});
  init(t, nullptr);
  EXPECT_EQ(t.nSizeKB, 0);
  EXPECT_EQ(t.nDays, 7);
  EXPECT_EQ(t.bMailslot, 9);
  EXPECT_EQ(t.bWinNT, 1);
  EXPECT_EQ(WString(t.szEventSource), u"QELORA-STDTrace");  // too long for its field
  EXPECT_EQ(WString(t.szMailslot), u"\\\\*\\mailslot\\watch");
  EXPECT_EQ(WString(t.szBaseName), widen(folder_ + "/") + u"fallback");
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
  TraceInit(&TraceObj, keyPath_.c_str(), u"first", 0);
  EXPECT_EQ(bTraceObjInitialized, 1);
  EXPECT_EQ(pTraceObj, &TraceObj);
  TraceObj.nDays = 99;
  TraceInit(&TraceObj, u"SOFTWARE\\QelTraceTest\\NoSuchKey", u"second", 0);
  EXPECT_EQ(TraceObj.nDays, 99);
  EXPECT_EQ(WString(TraceObj.szBaseName), widen(folder_ + "/") + u"first");
}

TEST_F(TraceTest, RecordsInTheFile) {
  configure({{u"TRACEFILE", DWORD(1)}, {u"TRACELEVEL", DWORD(0x3F)}, {u"DISABLED_FACILITIES", u"17 3"}});
  TraceObject t{};
  init(t);
  const std::string file = narrowName(t.szFileName);
  ASSERT_EQ(file, folder_ + "/app" + narrowName(t.szFileName).substr(folder_.size() + 4, 8) + ".log");
  Trace(&t, 2, u"Connection opened", nullptr);
  Trace(&t, 3, nullptr, nullptr);
  Trace(&t, 4, u"text", u"");
  Trace(&t, 9, u"high", u"extra");
  Trace(&t, 1, u"\u00e4\u03a9", nullptr);  // a byte in the "C" locale, else '?'
  TraceVA(&t, 2, u"%s=%d", u"x", 42);
  TraceVAF(&t, 2, 17, u"filtered");
  TraceVAF(&t, 2, 16, u"facility %c", u'G');
  t.dwLevelMask = 0;
  TraceVA(&t, 2, u"gated");
  Trace(&t, 2, u"ungated", nullptr);
  const std::vector<std::pair<char, std::string>> expected{{'A', "\\*\\*\\* T R A C E   S T A R T E D"},
                                                           {'A', "\\*\\*\\* Disabled Facilities: 3, 17"},
                                                           {'I', "Connection opened"},
                                                           {'W', ""},
                                                           {'E', "text "},
                                                           {'?', "high extra"},
                                                           {'D', ".\\?"},
                                                           {'I', "x=42"},
                                                           {'I', "facility G"},
                                                           {'I', "ungated"}};
  const auto got = lines(file);
  ASSERT_EQ(got.size(), expected.size());
  EXPECT_EQ(got[6][18], '\xe4');
  for (size_t i = 0; i < got.size(); ++i)
    EXPECT_TRUE(std::regex_match(got[i], prefixed(expected[i].first, expected[i].second))) << got[i];
}

TEST_F(TraceTest, Dumps) {
  configure({{u"TRACEFILE", DWORD(1)}, {u"TRACELEVEL", DWORD(0x3F)}, {u"DISABLED_FACILITIES", u"4"}});
  TraceObject t{};
  init(t);
  WString text;
  for (int i = 0; i < 130; ++i) text += WCHAR('a' + i % 26);
  text[125] = 0;
  TraceAscii(&t, 2, u"text", text.data(), 130);
  TraceAscii(&t, 2, u"none", text.data(), 0);
  const BYTE bytes[33] = {0x41, 0x42, 0x01};
  TraceHex(&t, 3, u"three", bytes, 3);
  TraceHex(&t, 3, u"more", bytes, 33);
  TraceHexF(&t, 3, 4, u"filtered", bytes, 3);
  TraceAsciiF(&t, 3, 4, u"filtered", text.data(), 3);
  const auto got = lines(narrowName(t.szFileName));
  const std::string fillers = [] {
    std::string s;
    for (int i = 0; i < 29; ++i) s += "-- ";
    return s;
  }();
  ASSERT_EQ(got.size(), 2u + 4 + 1 + 2 + 3);
  EXPECT_TRUE(std::regex_match(got[2], prefixed('I', "ASCII Dump: text \\(130 Chars\\)")));
  EXPECT_EQ(got[3], qel::test::narrow(WString(text.data(), 60)));
  EXPECT_EQ(got[4], qel::test::narrow(WString(text.data() + 60, 60)));
  EXPECT_EQ(got[5],
            "     " + qel::test::narrow(WString(text.data() + 120, 5)));  // the NUL leaves blanks in front
  EXPECT_TRUE(std::regex_match(got[6], prefixed('I', "ASCII Dump: none \\(0 Chars\\)")));
  EXPECT_TRUE(std::regex_match(got[7], prefixed('W', "HEX Dump: three \\(3 Bytes\\)")));
  EXPECT_EQ(got[8], "41 42 01 " + fillers + "     AB_");
  std::string zeros;
  for (int i = 0; i < 29; ++i) zeros += "00 ";
  EXPECT_EQ(got[10], "41 42 01 " + zeros + "     AB_" + std::string(29, '_'));
  EXPECT_EQ(got[11], "00 " + fillers + "-- -- " + "     _");
}

TEST_F(TraceTest, FileThatCannotBeOpenedSwitchesTheFileChannelOff) {
  std::vector<std::pair<WORD, std::vector<WString>>> events;
  qel::posix::setEventSink([&](const WString& source, WORD type, const std::vector<WString>& strings) {
    EXPECT_EQ(source, u"QelTest");
    events.emplace_back(type, strings);
    return true;
  });
  configure({{u"TRACEFILE", DWORD(1)},
             {u"TRACEDEBUG", DWORD(1)},
             {u"TRACEEVENTLOG", DWORD(1)},
             {u"TRACELEVEL", DWORD(0x3F)},
             {u"EVENTSOURCE", u"QelTest"},
             {u"TRACEPATH", u"/nonexistent/folder/"}});
  TraceObject t{};
  init(t);
  EXPECT_EQ(t.bFile | t.bDebug | LONG(t.dwLevelMask), 0);
  EXPECT_EQ(t.szFileName[0], 0);
  TraceVA(&t, 2, u"gated");           // the level mask is 0 now
  Trace(&t, 3, u"warning", nullptr);  // still reaches the event log
  TraceHex(&t, 3, u"gated", nullptr, 0);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[2].first, EVENTLOG_WARNING_TYPE);
  EXPECT_NE(events[0].second[0].find(u"*** T R A C E   S T A R T E D"), WString::npos);

  // The source's registration, and a failing report switching the channel off.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\QelTest", 0, KEY_READ,
                          &key),
            ERROR_SUCCESS);
  WCHAR file[64];
  DWORD size = sizeof file, type = 0, types = 0, typesSize = 4;
  EXPECT_EQ(RegQueryValueExW(key, u"EventMessageFile", nullptr, &type, reinterpret_cast<BYTE*>(file), &size),
            0);
  EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
  EXPECT_EQ(WString(file), u"%SystemRoot%\\System\\QelTest.msg");
  EXPECT_EQ(size, sizeof(u"%SystemRoot%\\System\\QelTest.msg"));
  EXPECT_EQ(
      RegQueryValueExW(key, u"TypesSupported", nullptr, nullptr, reinterpret_cast<BYTE*>(&types), &typesSize),
      0);
  EXPECT_EQ(types, 7u);
  RegCloseKey(key);
  qel::posix::setEventSink([](const WString&, WORD, const std::vector<WString>&) { return false; });
  Trace(&t, 2, u"lost", nullptr);
  EXPECT_EQ(t.bEventLog, 0);
  qel::posix::setEventSink(nullptr);
}

TEST_F(TraceTest, DumpIsOneEventOfAtMostAHundredStrings) {
  std::vector<std::vector<WString>> events;
  qel::posix::setEventSink([&](const WString&, WORD, const std::vector<WString>& strings) {
    events.push_back(strings);
    return true;
  });
  const std::string debug = folder_ + "/debug.txt";
  setenv("QELBASE_DEBUG_OUTPUT", debug.c_str(), 1);
  configure({{u"TRACEEVENTLOG", DWORD(1)}, {u"TRACEDEBUG", DWORD(1)}, {u"TRACELEVEL", DWORD(0x3F)}});
  TraceObject t{};
  init(t);
  std::vector<BYTE> data(32 * 120, 0x61);
  TraceHex(&t, 1, u"big", data.data(), LONG(data.size()));
  unsetenv("QELBASE_DEBUG_OUTPUT");
  qel::posix::setEventSink(nullptr);
  ASSERT_EQ(events.size(), 3u);  // the two start records, then the dump
  ASSERT_EQ(events[2].size(), 100u);
  EXPECT_NE(events[2][0].find(u"HEX Dump: big (3840 Bytes)\n"), WString::npos);
  EXPECT_EQ(events[2][99].back(), u'\n');
  // The debugger gets every line, each followed by a line feed of its own.
  const std::string text = read(debug);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 1 + 120);
}

}  // namespace
