/* GetLocalPorts / GetNextPortInfo over spoolers of 0, 1 and many ports,
   the end of the list, a spooler that cannot be asked, lack of memory. */
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "frame/Heap.h"
#include "registry/PrinterPorts.h"
#include "support/ScratchRegistry.h"
#include "support/WideText.h"

namespace {

using qel::test::WString;

const qel::test::ScratchRegistry scratch;

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

// The spooler's ports become port0 .. port(n-1); n < 0 removes the key.
void setPorts(int n) {
  HKEY key;
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPorts);
  if (n < 0 ||
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPorts, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
    return;
  for (int i = 0; i < n; ++i) {
    std::string name = "port" + std::to_string(i);
    RegSetValueExW(key, WString(name.begin(), name.end()).c_str(), 0, REG_SZ, nullptr, 0);
  }
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
