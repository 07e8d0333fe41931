/* Files, trace, registry scripts, the registry store and component
   registration under lack of memory and, on POSIX, under failing system
   calls: result codes, the file kept usable, records and keys whole or
   absent, no leak. */
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "QELBase.h"
#include "Sweep.h"
#include "support/Platform.h"
#include "trace/TraceFixture.h"

namespace {

using qel::test::noMemory;
using WString = std::basic_string<WCHAR>;

// A kind of failure to sweep, and the results it may give.
struct Fault {
  const char* name;
  long (*sweep)(const std::function<void()>& workload, const std::function<void()>& verify);
  bool (*caused)(unsigned long rc);
};

bool platformFailure(unsigned long rc) { return (rc & 0xFFFF0000u) == 0x80070000u; }

using Body = const std::function<void()>&;
const Fault kFaults[] = {
    {"allocation", qel::test::sweepAllocations<Body, Body>, noMemory},
#ifndef _WIN32
    {"system call", qel::test::sweepSystemCalls<Body, Body>, platformFailure},
#endif
};

const qel::test::ScratchRegistry& scratch = qel::test::traceRegistry();

WString widePath(const std::string& name) {
  const std::string path = scratch.folder() + "/" + name;
  return WString(path.begin(), path.end());
}

// C streams, which draw on malloc: the workloads' own reads and writes must
// not take part in the sweep.
size_t readFile(const char* path, char* text, size_t capacity) {
  FILE* in = std::fopen(path, "rb");
  if (!in) return 0;
  const size_t n = std::fread(text, 1, capacity - 1, in);
  std::fclose(in);
  text[n] = 0;
  return n;
}

void writeFile(const char* path, const char* text) {
  FILE* out = std::fopen(path, "wb");
  ASSERT_NE(out, nullptr);
  std::fputs(text, out);
  std::fclose(out);
}

std::string contents(const std::string& name) {
  char text[4096];
  readFile((scratch.folder() + "/" + name).c_str(), text, sizeof text);
  return text;
}

TEST(FaultSweep, BufferedFile) {
  const std::string name = scratch.folder() + "/lines.txt";
  const char* const original = "first\r\nsecond line\n";
  writeFile(name.c_str(), original);
  const WString path = widePath("lines.txt");
  for (const Fault& fault : kFaults)
    fault.sweep(
        [&] {
          QELFileObject f;
          DWORD rc = QELFileOpen(&f, 8, path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr, 1);
          if (rc) {
            EXPECT_TRUE(fault.caused(rc)) << fault.name << std::hex << rc;
            // Without memory for the buffer the file stays open, for the close.
            EXPECT_TRUE(rc != 0x8007000Eu || f.hFile != INVALID_HANDLE_VALUE);
          } else {
            WCHAR line[16];
            for (const WCHAR* want : {QEL_W("first"), QEL_W("second line")}) {
              if ((rc = QELFileGetLine(&f, line, 16)) != 0) break;
              EXPECT_EQ(
                  std::char_traits<WCHAR>::compare(line, want, std::char_traits<WCHAR>::length(want) + 1), 0);
            }
            if (rc) {
              EXPECT_TRUE(fault.caused(rc)) << fault.name << std::hex << rc;
            }
            rc = QELFileWriteLine(&f, QEL_W("x"), 1);
            EXPECT_TRUE(rc == 0 || fault.caused(rc)) << fault.name << std::hex << rc;
          }
          rc = QELFileClose(&f);
          EXPECT_TRUE(rc == 0 || fault.caused(rc)) << fault.name << std::hex << rc;
          // Nothing half-written: the line went out whole or not at all.
          char text[64];
          readFile(name.c_str(), text, sizeof text);
          EXPECT_TRUE(std::strcmp(text, original) == 0 || std::strcmp(text, "first\r\nsecond line\nx") == 0)
              << text;
          writeFile(name.c_str(), original);
        },
        [] {});
}

TEST(FaultSweep, TraceRecords) {
  // A size limit of 1 KiB, so that the file shrinks, and a day to keep, so
  // that old files are cleaned up.
  const WString folder = widePath("");
  qel::test::writeSettings(QEL_W("SOFTWARE\\QelSweep"), {qel::test::kFileOn,
                                                         qel::test::kAllLevels,
                                                         {QEL_W("TRACEPATH"), folder.c_str()},
                                                         {QEL_W("TRACESIZE"), DWORD(1)},
                                                         {QEL_W("TRACEDAYS"), DWORD(1)}});
  writeFile((scratch.folder() + "/sweep20000101.log").c_str(), "old\r\n");
  // A failed read of TRACEPATH leaves the path empty, so the file lands in
  // the current folder: let that be the scratch folder too.
  const std::filesystem::path current = std::filesystem::current_path();
  std::filesystem::current_path(scratch.folder());
  for (const Fault& fault : kFaults)
    fault.sweep(
        [] {
          TraceObject t{};
          TraceInit(&t, QEL_W("SOFTWARE\\QelSweep"), QEL_W("sweep"), 0);
          TraceVA(&t, 2, QEL_W("record %d of %s"), 1, QEL_W("the sweep"));
          Trace(&t, 3, QEL_W("second"), QEL_W("record"));
          const BYTE bytes[40] = {1, 2, 3};
          TraceHex(&t, 4, QEL_W("dump"), bytes, 40);
        },
        [] {});
  std::filesystem::current_path(current);
  // Every line of the file is a whole record.
  for (const auto& entry : std::filesystem::directory_iterator(scratch.folder())) {
    if (entry.path().extension() != ".log") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const size_t blank = text.find("\r\n\r\n");
    EXPECT_EQ(blank, std::string::npos) << text.substr(blank < 300 ? 0 : blank - 300, 400);
  }
}

TEST(FaultSweep, RegistryScripts) {
  qel::test::writeSettings(QEL_W("Software\\QelSweep\\Sub"),
                           {{QEL_W("Count"), DWORD(42)}, {QEL_W("Path"), QEL_W("C:\\Data")}},
                           HKEY_CURRENT_USER);
  const WString file = widePath("sweep.reg"), script = widePath("import.reg");
  writeFile((scratch.folder() + "/import.reg").c_str(),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\QelImported]\r\n\"a\"=\"1\"\r\n\"b\"=dword:"
            "00000002\r\n");
  for (const Fault& fault : kFaults)
    fault.sweep(
        [&] {
          const RegExportParams params{FALSE, TRUE, FALSE, QEL_W("HKEY_CURRENT_USER\\Software\\QelSweep"),
                                       file.c_str()};
          DWORD rc = QEL_RegExport(&params);
          EXPECT_TRUE(rc == 0 || fault.caused(rc)) << fault.name << std::hex << rc;
          // An import that stops keeps what it wrote before: the section's first
          // values, in order.
          RegDeleteKeyW(HKEY_CURRENT_USER, QEL_W("Software\\QelImported"));
          const LPCWSTR files[] = {script.c_str()};
          rc = QEL_RegImportFiles(files, 1);
          EXPECT_TRUE(rc == 0 || fault.caused(rc)) << fault.name << std::hex << rc;
        },
        [&] {
          if (HKEY key;
              RegOpenKeyExW(HKEY_CURRENT_USER, QEL_W("Software\\QelImported"), 0, KEY_READ, &key) == 0) {
            const bool a = RegQueryValueExW(key, QEL_W("a"), nullptr, nullptr, nullptr, nullptr) == 0;
            const bool b = RegQueryValueExW(key, QEL_W("b"), nullptr, nullptr, nullptr, nullptr) == 0;
            EXPECT_TRUE(a || !b) << fault.name;
            RegCloseKey(key);
          }
        });
  EXPECT_NE(contents("sweep.reg").find("\"Count\"=42"), std::string::npos);
}

// The store: a key with two values written in one transaction is there
// whole or not at all, and the store keeps working.
TEST(FaultSweep, RegistryStore) {
  for (const Fault& fault : kFaults)
    fault.sweep(
        [&] {
          RegDeleteKeyW(HKEY_CURRENT_USER, QEL_W("Software\\QelStore"));
          HKEY key = nullptr;
          LSTATUS s = RegCreateKeyExW(HKEY_CURRENT_USER, QEL_W("Software\\QelStore"), 0, nullptr, 0,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
          if (s == 0) {
            const DWORD one = 1, two = 2;
            s = RegSetValueExW(key, QEL_W("one"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
            if (s == 0)
              s = RegSetValueExW(key, QEL_W("two"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), 4);
            DWORD read = 0, size = 4;
            if (s == 0)
              s = RegQueryValueExW(key, QEL_W("two"), nullptr, nullptr, reinterpret_cast<BYTE*>(&read),
                                   &size);
            if (s == 0) {
              EXPECT_EQ(read, 2u);
            }
            RegCloseKey(key);
          }
          EXPECT_TRUE(s == 0 || fault.caused(QEL_HRESULT_FROM_ERROR(s))) << fault.name << " " << s;
        },
        [] {});
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, QEL_W("Software\\QelStore"), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            0);
  RegCloseKey(key);
}

#ifndef _WIN32
// Registration starts the system's regsvr32 (here a stand-in that does
// nothing) for each component.
TEST(FaultSweep, ComponentRegistration) {
  const std::string tools = scratch.folder() + "/tools";
  std::filesystem::create_directories(tools);
  std::filesystem::create_symlink("/bin/true", tools + "/regsvr32");
  const qel::test::SearchPath path(tools);
  for (const Fault& fault : kFaults)
    fault.sweep(
        [&] {
          try {
            const OcxRegisterParams params{FALSE, TRUE, {QEL_W("a.ocx"), QEL_W("b.ocx")}};
            const DWORD rc = QEL_OCXRegister(&params);
            EXPECT_TRUE(rc == 0 || fault.caused(rc)) << fault.name << std::hex << rc;
          } catch (const std::bad_alloc&) {  // the test's own list of names
          }
        },
        [] {});
}
#endif

}  // namespace
