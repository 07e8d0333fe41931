/* The trace file under load: the size limit, many writers, and the
   mailslot channel. */
#include <thread>

#include "TraceFixture.h"
#include "support/Platform.h"

namespace {

using qel::test::expectAllRecords;
using qel::test::kPadding;
using qel::test::TraceTest;
using qel::test::WString;

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

TEST_F(TraceTest, ThreadsShareOneObject) {
  // The file and the process-wide mailslot handle, which the first record opens.
  const WString name = qel::test::wprintf(QEL_W("qelthreads-%d"), int(GetCurrentProcessId()));
  HANDLE slot = CreateMailslotW((QEL_W("\\\\.\\mailslot\\") + name).c_str(), 0, 0, nullptr);
  ASSERT_NE(slot, INVALID_HANDLE_VALUE);
  configure({{QEL_W("TRACEFILE"), DWORD(1)},
             {QEL_W("TRACELEVEL"), DWORD(0x3F)},
             {QEL_W("TRACEMAILSLOT"), DWORD(1)},
             {QEL_W("MAILSLOT"), name.c_str()}});
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
  configure({{QEL_W("TRACEMAILSLOT"), DWORD(1)},
             {QEL_W("TRACELEVEL"), DWORD(0x3F)},
             {QEL_W("MAILSLOT"), name.c_str()}});
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

}  // namespace
