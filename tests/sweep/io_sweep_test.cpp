/* Files, trace and registry scripts under lack of memory: result codes,
   the file kept usable, records whole or absent, no leak. */
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "QELBase.h"
#include "Sweep.h"
#include "support/ScratchRegistry.h"

namespace {

using qel::test::noMemory;
using qel::test::sweepAllocations;
using WString = std::basic_string<WCHAR>;

const qel::test::ScratchRegistry scratch;

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

TEST(AllocationSweep, BufferedFile) {
  const std::string name = scratch.folder() + "/lines.txt";
  const char* const original = "first\r\nsecond line\n";
  writeFile(name.c_str(), original);
  const WString path = widePath("lines.txt");
  sweepAllocations([&] {
    QELFileObject f;
    DWORD rc = QELFileOpen(&f, 8, path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr, 1);
    if (rc) {
      EXPECT_TRUE(noMemory(rc)) << std::hex << rc;  // the file is open all the same
    } else {
      WCHAR line[16];
      for (const WCHAR* want : {QEL_W("first"), QEL_W("second line")}) {
        if ((rc = QELFileGetLine(&f, line, 16)) != 0) break;
        EXPECT_EQ(std::char_traits<WCHAR>::compare(line, want, std::char_traits<WCHAR>::length(want) + 1), 0);
      }
      if (rc) {
        EXPECT_TRUE(noMemory(rc)) << std::hex << rc;
      }
      rc = QELFileWriteLine(&f, QEL_W("x"), 1);
      EXPECT_TRUE(rc == 0 || noMemory(rc)) << std::hex << rc;
    }
    EXPECT_EQ(QELFileClose(&f), 0u);
    // Nothing half-written: the line went out whole or not at all.
    char text[64];
    readFile(name.c_str(), text, sizeof text);
    EXPECT_TRUE(std::strcmp(text, original) == 0 || std::strcmp(text, "first\r\nsecond line\nx") == 0)
        << text;
    writeFile(name.c_str(), original);
  });
}

TEST(AllocationSweep, TraceRecords) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\QelSweep"), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            0);
  const DWORD on = 1, levels = 0x3F;
  const WString folder = widePath("");
  RegSetValueExW(key, QEL_W("TRACEFILE"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), 4);
  RegSetValueExW(key, QEL_W("TRACELEVEL"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&levels), 4);
  RegSetValueExW(key, QEL_W("TRACEPATH"), 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 DWORD((folder.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
  // A failed read of TRACEPATH leaves the path empty, so the file lands in
  // the current folder: let that be the scratch folder too.
  const std::filesystem::path current = std::filesystem::current_path();
  std::filesystem::current_path(scratch.folder());
  sweepAllocations([] {
    TraceObject t{};
    TraceInit(&t, QEL_W("SOFTWARE\\QelSweep"), QEL_W("sweep"), 0);
    TraceVA(&t, 2, QEL_W("record %d of %s"), 1, QEL_W("the sweep"));
    Trace(&t, 3, QEL_W("second"), QEL_W("record"));
    const BYTE bytes[40] = {1, 2, 3};
    TraceHex(&t, 4, QEL_W("dump"), bytes, 40);
  });
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

TEST(AllocationSweep, RegistryScripts) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, QEL_W("Software\\QelSweep\\Sub"), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            0);
  const DWORD number = 42;
  RegSetValueExW(key, QEL_W("Count"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
  RegSetValueExW(key, QEL_W("Path"), 0, REG_SZ, reinterpret_cast<const BYTE*>(QEL_W("C:\\Data")), 16);
  RegCloseKey(key);
  const WString file = widePath("sweep.reg");
  sweepAllocations([&] {
    const RegExportParams params{FALSE, TRUE, FALSE, QEL_W("HKEY_CURRENT_USER\\Software\\QelSweep"),
                                 file.c_str()};
    DWORD rc = QEL_RegExport(&params);
    EXPECT_TRUE(rc == 0 || noMemory(rc)) << std::hex << rc;
    if (rc) return;
    QELFileNameList files;
    try {
      files.push_back(file);
    } catch (const std::bad_alloc&) {
      return;
    }
    rc = QEL_RegImport(&files);
    EXPECT_TRUE(rc == 0 || noMemory(rc)) << std::hex << rc;
  });
  EXPECT_NE(contents("sweep.reg").find("\"Count\"=42"), std::string::npos);
}

}  // namespace
