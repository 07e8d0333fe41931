/* The registry helpers (defaults, terminators, the platform statuses
   passed through unchanged) and the printer-port list over spoolers of
   0, 1 and many ports, its end, a spooler that cannot be asked and lack
   of memory. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "frame/Heap.h"
#include "registry/PrinterPorts.h"
#include "registry/RegistryHelpers.h"
#include "support/CaseFile.h"
#include "support/ScratchRegistry.h"
#include "support/WideText.h"

namespace {

using qel::test::WString;

const qel::test::ScratchRegistry scratch;

class RegistryHelpers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CreateRegKey(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\QelHelpers"), QEL_REG_ALL_ACCESS, &key_), 0);
    set(QEL_W("Text"), REG_SZ, QEL_W("abc"), 8);
    set(QEL_W("One"), REG_SZ, QEL_W("1"), 4);  // two wide characters with the terminator
    set(QEL_W("Twelve"), REG_SZ, QEL_W("12"), 6);
    const DWORD number = 0xFFFFFFFB;  // -5
    set(QEL_W("Number"), REG_DWORD, &number, 4);
    set(QEL_W("Short"), REG_BINARY, "\x34\x12", 2);
    set(QEL_W("Bare"), REG_SZ, QEL_W("xyz"), 4);  // without a terminator
  }
  void TearDown() override {
    CloseRegKey(key_);
    DeleteRegKey(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\QelHelpers"));
  }
  void set(const WCHAR* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  HKEY key_ = nullptr;
};

TEST_F(RegistryHelpers, QueriesOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("registry/queries.txt")) {
    const HKEY key = c[1] == "bogus" ? reinterpret_cast<HKEY>(this) : key_;
    const WString name = qel::test::widen(c[2]);
    std::string got;
    if (c[0] == "String") {
      WCHAR buffer[16] = {};
      DWORD size = DWORD(std::stoul(c[3]));
      const LONG status = QueryRegEntryString(key, name.c_str(), buffer, &size, QEL_W("dflt"));
      got = std::to_string(status) + " " + qel::test::narrow(buffer) + " " + std::to_string(size);
    } else {
      DWORD dword = 0;
      LONG number = 0;
      BOOL flag = 0;
      const LONG status = QueryRegEntryDWord(key, name.c_str(), &dword, 77);
      EXPECT_EQ(QueryRegEntryLong(key, name.c_str(), &number, 77), status) << c.where;
      EXPECT_EQ(QueryRegEntryBool(key, name.c_str(), &flag, 77), status) << c.where;
      EXPECT_EQ(number, LONG(dword));
      EXPECT_EQ(flag, BOOL(dword));  // not reduced to 0 or 1
      got = std::to_string(status) + " " + std::to_string(dword);
    }
    EXPECT_EQ(got, c[4]) << c.where;
  }
  WCHAR buffer[4] = {u'~', u'~', u'~', u'~'};
  DWORD size = 4;
  EXPECT_EQ(QueryRegEntryString(key_, QEL_W("Missing"), buffer, &size, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(QueryRegEntryDWord(key_, QEL_W("Number"), nullptr, 0), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryHelpers, EnumerationAndKeys) {
  HKEY child = nullptr;
  ASSERT_EQ(CreateRegKey(key_, QEL_W("Sub"), QEL_REG_WRITE, &child), 0);
  EXPECT_EQ(CloseRegKey(child), 0);
  EXPECT_EQ(OpenRegKey(key_, QEL_W("Sub"), QEL_REG_READ, &child), 0);
  EXPECT_EQ(CloseRegKey(child), 0);
  EXPECT_EQ(OpenRegKey(key_, QEL_W("Nope"), QEL_REG_READ, &child), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CloseRegKey(child), ERROR_INVALID_HANDLE);  // left null by the failed open

  WCHAR name[8];
  std::memset(name, 0x7F, sizeof name);
  DWORD length = 8;
  EXPECT_EQ(EnumRegKey(key_, 0, name, &length), 0);
  EXPECT_EQ(WString(name), QEL_W("Sub"));
  EXPECT_EQ(length, 3u);
  length = 8;
  EXPECT_EQ(EnumRegKey(key_, 1, name, &length), ERROR_NO_MORE_ITEMS);

  BYTE data[16];
  DWORD type = 0, dataLength = 0;
  for (DWORD index = 0; WString(name) != QEL_W("Short"); ++index) {  // Windows promises no order
    std::memset(data, 0x7F, sizeof data);
    dataLength = 15;  // one byte kept back for the zero
    length = 8;
    ASSERT_EQ(EnumRegValue(key_, index, name, &length, &type, data, &dataLength), 0) << index;
  }
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_EQ(dataLength, 2u);
  EXPECT_EQ(data[2], 0);  // the zero byte behind the data
  EXPECT_EQ(data[3], 0x7F);
  length = 8;
  EXPECT_EQ(EnumRegValue(key_, 6, name, &length, &type, data, &dataLength), ERROR_NO_MORE_ITEMS);

  EXPECT_EQ(DeleteRegKey(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\QelHelpers")),
            ERROR_ACCESS_DENIED);  // has a subkey
  EXPECT_EQ(DeleteRegKey(key_, QEL_W("Sub")), 0);
  EXPECT_EQ(DeleteRegKey(key_, QEL_W("Sub")), ERROR_FILE_NOT_FOUND);
}

// How many GetNextPortInfo calls return 1 before the first 0.
int walk() {
  int n = 0;
  while (GetNextPortInfo(0) == 1 && n < 100000) ++n;
  return n;
}

// The spooler's own count of level-1 port records, by its two-call protocol.
int spoolerPorts() {
  DWORD needed = 0, returned = 0;
  EnumPortsW(nullptr, 1, nullptr, 0, &needed, &returned);
  std::vector<BYTE> records(needed ? needed : 1);
  if (!EnumPortsW(nullptr, 1, records.data(), needed, &needed, &returned)) return -1;
  return int(returned);
}

TEST(PrinterPorts, TheListIsTheSpoolersOwn) {
  const int ports = spoolerPorts();
  ASSERT_GE(ports, 0);
  ASSERT_EQ(GetLocalPorts(), 1u);
  EXPECT_EQ(walk(), ports);
  EXPECT_EQ(GetNextPortInfo(0), 0u);
}

#ifndef _WIN32  // these set up the spooler's ports in our store
const WCHAR kPorts[] = QEL_W("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports");

// The spooler's ports are the value names of one key: port0 .. port(n-1),
// or these names; n < 0 removes the key.
void setPorts(int n, std::vector<WString> names = {}) {
  HKEY key;
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPorts);
  if (n < 0 ||
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPorts, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
    return;
  for (int i = 0; i < n; ++i) names.push_back(qel::test::widen("port" + std::to_string(i)));
  for (const WString& name : names) RegSetValueExW(key, name.c_str(), 0, REG_SZ, nullptr, 0);
  RegCloseKey(key);
}

TEST(PrinterPorts, EveryRecordIsPassedOnceAndTheEndStays) {
  for (int count : {-1, 0, 1, 3, 700}) {
    setPorts(count);
    ASSERT_EQ(GetLocalPorts(), 1u) << count;
    EXPECT_EQ(walk(), count < 0 ? 0 : count) << count;
    EXPECT_EQ(GetNextPortInfo(0), 0u);
  }
  // A second read replaces a list that was not used up.
  setPorts(3);
  ASSERT_EQ(GetLocalPorts(), 1u);
  EXPECT_EQ(GetNextPortInfo(0), 1u);
  ASSERT_EQ(GetLocalPorts(), 1u);
  EXPECT_EQ(walk(), 3);
}

// EnumPortsW's two-call size protocol: the records, then their names.
TEST(PrinterPorts, TheSpoolerSizesRecordsAndNames) {
  DWORD needed = 99, count = 99;
  setPorts(-1);
  EXPECT_TRUE(EnumPortsW(nullptr, 1, nullptr, 0, &needed, &count));
  EXPECT_EQ(needed + count, 0u);
  const std::vector<WString> names{QEL_W("COM1:"), QEL_W("FILE:"), QEL_W("LPT1:"),
                                   QEL_W("\\\\server\\printer")};
  setPorts(0, names);
  const DWORD expected = 4 * sizeof(PORT_INFO_1W) + (6 + 6 + 6 + 17) * sizeof(WCHAR);
  EXPECT_FALSE(EnumPortsW(nullptr, 1, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, expected);
  std::vector<BYTE> buffer(needed);
  EXPECT_FALSE(EnumPortsW(nullptr, 1, buffer.data(), needed - 1, &needed, &count));
  EXPECT_EQ(count, 0u);
  WCHAR local[] = QEL_W("");
  ASSERT_TRUE(EnumPortsW(local, 1, buffer.data(), needed, &needed, &count));
  std::vector<WString> got;
  for (DWORD i = 0; i < count; ++i) {
    const WCHAR* name = reinterpret_cast<PORT_INFO_1W*>(buffer.data())[i].pName;
    EXPECT_GE(reinterpret_cast<const BYTE*>(name), buffer.data() + 4 * sizeof(PORT_INFO_1W));
    EXPECT_LT(reinterpret_cast<const BYTE*>(name), buffer.data() + needed);
    got.emplace_back(name);
  }
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, names);
  EXPECT_FALSE(EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
  WCHAR remote[] = QEL_W("\\\\elsewhere");
  EXPECT_FALSE(EnumPortsW(remote, 1, buffer.data(), needed, &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_NAME));
}

TEST(PrinterPorts, AFailedReadLeavesAnEmptyList) {
  setPorts(2);
  qel::heapFailAt(1);
  EXPECT_EQ(GetLocalPorts(), 0u);
  qel::heapFailAt(0);
  EXPECT_EQ(GetNextPortInfo(0), 0u);

  // A store that cannot be read: the spooler cannot be asked.
  const std::string junk = scratch.folder() + "/junk.db";
  std::ofstream(junk) << std::string(4096, 'x');
  EXPECT_EQ(qel::test::inChild([&] {
              setenv("QELBASE_REGISTRY", junk.c_str(), 1);
              const DWORD read = GetLocalPorts();
              return read * 10 + GetNextPortInfo(0);
            }),
            0);
}
#endif

}  // namespace
