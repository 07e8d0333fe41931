/* Registry scripts: exact export files, round trips over awkward trees,
   hand-written and malformed imports, UpdateRegistryWithFile; on POSIX,
   imports killed at a random moment, after which every key of the file is
   either absent or whole. */
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "registry/RegistryScripts.h"
#include "support/CaseFile.h"
#include "support/Files.h"
#include "support/Platform.h"
#include "support/ScratchRegistry.h"

namespace {

using qel::test::widen;
using qel::test::WString;

const qel::test::ScratchRegistry scratch;

// Every key below a path with its values, as "path|name|type|data" lines.
std::map<WString, WString> dump(HKEY root, const WString& path) {
  std::map<WString, WString> out;
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key)) return out;
  out[path] = QEL_W("");
  WCHAR name[600];
  BYTE data[2048];
  for (DWORD i = 0;; ++i) {
    DWORD n = 600, size = sizeof data, type;
    if (RegEnumValueW(key, i, name, &n, nullptr, &type, data, &size)) break;
    WString text(reinterpret_cast<WCHAR*>(data), size / 2);
    if (type == REG_DWORD) {
      const std::string number = std::to_string(*reinterpret_cast<DWORD*>(data));
      text.assign(number.begin(), number.end());
    }
    out[path + QEL_W("|") + name] = WString(1, WCHAR('0' + type)) + QEL_W("|") + text;
  }
  for (DWORD i = 0;; ++i) {
    DWORD n = 600;
    if (RegEnumKeyExW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr)) break;
    out.merge(dump(root, path + QEL_W("\\") + name));
  }
  RegCloseKey(key);
  return out;
}

// The values below HKLM\SOFTWARE\Scripts, as key|name=type|data.
std::string listing() {
  std::string out;
  for (const auto& [where, what] : dump(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\Scripts")))
    if (!what.empty())
      out += (out.empty() ? "" : " ") + qel::test::narrow(where.substr(17)) + "=" + qel::test::narrow(what);
  return out;
}

// A profile file as the platform's writer leaves it: Wine's rewrites it
// without its blank lines, where Windows keeps the lines it does not touch.
std::string asWritten(std::string text) {
  if (qel::test::underWine())
    for (size_t at; (at = text.find("\r\n\r\n")) != std::string::npos;) text.erase(at, 2);
  return text;
}

void deleteTree(HKEY root, const WString& path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, &key)) return;
  WCHAR name[600];
  for (DWORD n = 600; RegEnumKeyExW(key, 0, name, &n, nullptr, nullptr, nullptr, nullptr) == 0; n = 600)
    deleteTree(root, path + QEL_W("\\") + name);
  RegCloseKey(key);
  RegDeleteKeyW(root, path.c_str());
}

class RegistryScripts : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = scratch.folder() + "/export.reg";
    wfile_ = WString(file_.begin(), file_.end());
  }
  void TearDown() override {
    deleteTree(HKEY_CURRENT_USER, QEL_W("Software\\Scripts"));
    deleteTree(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\Scripts"));
    std::filesystem::remove(file_);
  }
  static HKEY make(HKEY root, const WCHAR* path) {
    HKEY key;
    EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    return key;
  }
  static void set(HKEY key, const WCHAR* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), 0);
  }
  DWORD exportKey(const WCHAR* key, bool recursive, bool keep = false, bool noHeader = false) const {
    RegExportParams p{keep, recursive, noHeader, key, wfile_.c_str()};
    return QEL_RegExport(&p);
  }
  DWORD importFile() const {
    QELFileNameList files{wfile_};
    return QEL_RegImport(&files);
  }
  std::string contents() const { return qel::test::readFile(file_); }
  void put(const std::string& text) const { qel::test::writeFile(file_, text); }

  std::string file_;
  WString wfile_;
};

TEST_F(RegistryScripts, ExportWritesTheExactLayout) {
  // Created in the order of their names, which is how both our store
  // (creation order) and Wine's (by name) enumerate them.
  HKEY app = make(HKEY_CURRENT_USER, QEL_W("Software\\Scripts\\App"));
  set(app, QEL_W(""), REG_SZ, QEL_W("default"), 16);
  set(app, QEL_W("APath"), REG_SZ, QEL_W("C:\\Data"), 16);
  const DWORD count = 42;
  set(app, QEL_W("BCount"), REG_DWORD, &count, 4);
  set(app, QEL_W("CEmpty"), REG_SZ, QEL_W(""), 2);
  set(app, QEL_W("DNothing"), REG_SZ, nullptr, 0);
  set(app, QEL_W("ERaw"), REG_BINARY, "\1\2", 2);
  set(app, QEL_W("FMulti"), REG_MULTI_SZ, QEL_W("a\0b\0"), 10);
  set(app, QEL_W("GExpand"), REG_EXPAND_SZ, QEL_W("%TEMP%\\\"q\""), 22);
  set(app, QEL_W("HBare"), REG_SZ, QEL_W("xyz"), 4);  // no terminator: the data's end bounds it
  const WString big(300, u'b');
  set(app, QEL_W("IBig"), REG_SZ, big.c_str(), 602);  // beyond 512 bytes: ends the listing
  set(app, QEL_W("JAfter"), REG_SZ, QEL_W("lost"), 10);
  RegCloseKey(app);
  RegCloseKey(make(HKEY_CURRENT_USER, QEL_W("Software\\Scripts\\App\\Sub\\Deep")));  // no value: no section
  HKEY sub = make(HKEY_CURRENT_USER, QEL_W("Software\\Scripts\\App\\Sub"));
  const DWORD max = 0xFFFFFFFF;
  set(sub, QEL_W("Max"), REG_DWORD, &max, 4);
  RegCloseKey(sub);
  EXPECT_EQ(exportKey(QEL_W("hkey_current_user\\Software\\Scripts\\App"), true), 0u);
  EXPECT_EQ(asWritten(contents()),
            asWritten("REGEDIT4\r\n\r\n[hkey_current_user\\Software\\Scripts\\App]\r\n\"\"=\"default\"\r\n"
                      "\"APath\"=\"C:\\Data\"\r\n\"BCount\"=42\r\n\"CEmpty\"=\"\"\r\n"
                      "\"GExpand\"=\"%TEMP%\\\"q\"\"\r\n\"HBare\"=\"xy\"\r\n\r\n"
                      "[hkey_current_user\\Software\\Scripts\\App\\Sub]\r\n\"Max\"=4294967295\r\n"));

  // Into the same file, kept, without a header: new sections, equal names replaced.
  HKEY other = make(HKEY_CURRENT_USER, QEL_W("Software\\Scripts\\Other"));
  set(other, QEL_W("K"), REG_SZ, QEL_W("v"), 4);
  RegCloseKey(other);
  EXPECT_EQ(exportKey(QEL_W("HKEY_CURRENT_USER\\Software\\Scripts\\Other"), false, true, true), 0u);
  EXPECT_NE(contents().find("[HKEY_CURRENT_USER\\Software\\Scripts\\Other]\r\n\"K\"=\"v\"\r\n"),
            std::string::npos);
  EXPECT_EQ(contents().rfind("REGEDIT4", 0), 0u);

  // Bad key paths touch no file; a missing key is the platform's error.
  std::filesystem::remove(file_);
  for (const WCHAR* bad :
       {QEL_W("HKEY_LOCAL_MACHINE"), QEL_W("HKLM\\SOFTWARE"), QEL_W("HKEY_LOCAL_MACHINEX\\a"), QEL_W("")})
    EXPECT_EQ(exportKey(bad, false), 0x80070057u) << std::string(bad, bad + 3);
  EXPECT_FALSE(std::filesystem::exists(file_));
  EXPECT_EQ(QEL_RegExport(nullptr), 0x80070057u);
  EXPECT_EQ(exportKey(QEL_W("HKEY_CURRENT_USER\\Software\\Scripts\\Missing"), false), 0x80070002u);
  EXPECT_EQ(contents(), "REGEDIT4\r\n\r\n");
}

TEST_F(RegistryScripts, ExportThenImportReproducesGeneratedTrees) {
  std::mt19937 random(20261207);
  // Names with blanks, equals signs, brackets inside, quotes in key names
  // and 1252 letters; value names keep to what the line form can carry
  // (no '=' or '"'), key names to what a section line can (no blanks at
  // either end).  Only keys with values have a section.
  const WString keyChars = QEL_W("abcXYZ019 =.-_\"'{}()\u00e4\u00f6\u00df\u20ac");
  const WString nameChars = QEL_W("abcXYZ019 .-_\\'{}()\u00e4\u00df\u20ac");
  const WString dataChars = QEL_W("abc 019=\"\\;[]%\u00e4\u20ac");
  auto text = [&](const WString& chars, size_t most) {
    WString s;
    for (size_t n = 1 + random() % most; n--;) s += chars[random() % chars.size()];
    return s;
  };
  auto keyName = [&] {
    WString s = text(keyChars, 12);
    s.front() = s.front() == ' ' ? WCHAR('k') : s.front();
    s.back() = s.back() == ' ' ? WCHAR('k') : s.back();
    return s;
  };
  for (int round = 0; round < 5; ++round) {
    std::vector<WString> keys{QEL_W("Software\\Scripts\\Tree")};
    for (int k = 0; k < 12; ++k) {
      const WString parent = keys[random() % keys.size()];
      keys.push_back(parent + QEL_W("\\") + keyName());
    }
    for (const WString& path : keys) {
      HKEY key = make(HKEY_CURRENT_USER, path.c_str());
      for (int v = 1 + int(random() % 4); v--;) {
        if (random() % 2) {
          const WString data = text(dataChars, 40);
          set(key, text(nameChars, 10).c_str(), REG_SZ, data.c_str(), DWORD((data.size() + 1) * 2));
        } else {
          const DWORD n = DWORD(random());
          set(key, text(nameChars, 10).c_str(), REG_DWORD, &n, 4);
        }
      }
      RegCloseKey(key);
    }
    const auto before = dump(HKEY_CURRENT_USER, QEL_W("Software\\Scripts\\Tree"));
    ASSERT_EQ(exportKey(QEL_W("HKEY_CURRENT_USER\\Software\\Scripts\\Tree"), true), 0u);
    deleteTree(HKEY_CURRENT_USER, QEL_W("Software\\Scripts\\Tree"));
    ASSERT_EQ(importFile(), 0u) << contents();
    EXPECT_EQ(dump(HKEY_CURRENT_USER, QEL_W("Software\\Scripts\\Tree")), before) << contents();
    deleteTree(HKEY_CURRENT_USER, QEL_W("Software\\Scripts\\Tree"));
  }
}

TEST_F(RegistryScripts, ImportsOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("registry/imports.txt")) {
    std::string text;
    for (WCHAR ch : qel::test::unescape(c[0])) text += char(ch);
    put(text);
    EXPECT_EQ(importFile(), DWORD(std::stoul(c[1], nullptr, 16))) << c.where;
    EXPECT_EQ(listing(), qel::test::narrow(qel::test::unescape(c[2]))) << c.where;
    deleteTree(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\Scripts"));
  }
  // A section with one huge value is read whole, however long.
  const std::string huge(100000, 'h');
  put("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Scripts\\Huge]\n\"v\"=\"" + huge + "\"\n");
  ASSERT_EQ(importFile(), 0u);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\Scripts\\Huge"), 0, KEY_READ, &key), 0);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, QEL_W("v"), nullptr, nullptr, nullptr, &size), 0);
  EXPECT_EQ(size, (huge.size() + 1) * 2);
  RegCloseKey(key);
  deleteTree(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\Scripts"));

  QELFileNameList none;
  EXPECT_EQ(QEL_RegImport(&none), 0u);
  EXPECT_EQ(QEL_RegImport(nullptr), 0x80070057u);
  QELFileNameList missing{QEL_W("/nonexistent/file.reg")};
  EXPECT_EQ(QEL_RegImport(&missing), 0u);
  // The C form: the same import over an array.
  put("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Scripts\\M]\r\n\"a\"=\"x\"\r\n");
  const LPCWSTR files[] = {wfile_.c_str(), QEL_W("/nonexistent/file.reg")}, holes[] = {nullptr};
  EXPECT_EQ(QEL_RegImportFiles(files, 2), 0u);
  EXPECT_EQ(dump(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\Scripts\\M")).count(QEL_W("SOFTWARE\\Scripts\\M|a")),
            1u);
  EXPECT_EQ(QEL_RegImportFiles(nullptr, 0), 0u);
  EXPECT_EQ(QEL_RegImportFiles(nullptr, 1), 0x80070057u);
  EXPECT_EQ(QEL_RegImportFiles(holes, 1), 0x80070057u);
}

TEST_F(RegistryScripts, UpdateRegistryWithFileAppliesTheSimpleForm) {
  EXPECT_EQ(UpdateRegistryWithFile(QEL_W("/nonexistent/update.reg")), 0);
  EXPECT_EQ(UpdateRegistry(QEL_W("SOFTWARE\\Scripts\\Missing"), QEL_W("v"), QEL_W("x")),
            ERROR_FILE_NOT_FOUND);
  put("REGEDIT4\r\n\r\n\"early\"=\"not applied\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Scripts\\Up\\Deeper]\r\n"
      "\"Name\"=\"C:\\Path\\\"x\"\r\n; \"comment\"=\"skipped\"\r\n\"no equals\"\r\n"
      "\"Long\"=\"" +
      std::string(1200, 'L') +
      "\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Scripts\\Up]\r\n\"Top\"=\"\xE4\"\r\n\"Last\"=\"end\"");
  EXPECT_EQ(UpdateRegistryWithFile(wfile_.c_str()), 0);
  EXPECT_EQ(listing(),
            "Up\\Deeper|Name=1|C:\\Path\\\"x{U+0000} Up|Last=1|end{U+0000} Up|Top=1|{U+00E4}{U+0000}");

  // A key outside SOFTWARE: the value's key does not exist, its code comes back.
  put("[HKEY_LOCAL_MACHINE\\SYSTEM\\Scripts\\X]\n\"v\"=\"1\"\n");
  EXPECT_EQ(UpdateRegistryWithFile(wfile_.c_str()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(UpdateRegistry(QEL_W("SOFTWARE\\Scripts\\X"), QEL_W("v"), nullptr), 0);  // created below SOFTWARE
  EXPECT_EQ(listing().substr(listing().rfind(' ') + 1), "X|v=1|{U+0000}");
}

#ifndef _WIN32
constexpr int kKeys = 50, kValues = 400;

std::string keyPath(int round, int key) {
  return "Software\\QelCrash\\R" + std::to_string(round) + "\\K" + std::to_string(key);
}

// kKeys sections of kValues string values each.
std::string writeCrashFile(int round) {
  const std::string name = scratch.folder() + "/crash" + std::to_string(round) + ".reg";
  std::ofstream out(name, std::ios::binary);
  out << "REGEDIT4\r\n";
  for (int k = 0; k < kKeys; ++k) {
    out << "\r\n[HKEY_CURRENT_USER\\" << keyPath(round, k) << "]\r\n";
    for (int v = 0; v < kValues; ++v) out << "\"v" << v << "\"=\"value " << v << " of key " << k << "\"\r\n";
  }
  return name;
}

// Values of the key, or -1 when it does not exist.
long valueCount(int round, int key) {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, widen(keyPath(round, key)).c_str(), 0, KEY_READ, &handle)) return -1;
  DWORD values = 0;
  RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                   nullptr, nullptr);
  RegCloseKey(handle);
  return long(values);
}

pid_t importInChild(const std::string& file) {
  pid_t pid = fork();
  if (pid == 0) {
    QELFileNameList files{widen(file)};
    _exit(QEL_RegImport(&files) == 0 ? 0 : 1);
  }
  return pid;
}

TEST(RegistryImportCrash, EveryKeyIsWholeOrAbsentAfterAKill) {
  // One import to the end sets the time scale and shows every key whole.
  const auto began = std::chrono::steady_clock::now();
  const int imported = qel::test::exitCodeOf(importInChild(writeCrashFile(0)));
  const auto full = std::chrono::steady_clock::now() - began;
  ASSERT_EQ(imported, 0);
  for (int k = 0; k < kKeys; ++k) ASSERT_EQ(valueCount(0, k), kValues) << k;

  std::mt19937 random(20261207);
  int interrupted = 0;
  for (int round = 1; round <= 20; ++round) {
    const std::string file = writeCrashFile(round);
    pid_t child = importInChild(file);
    std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(full) *
                                std::uniform_real_distribution<double>(0.05, 0.95)(random));
    kill(child, SIGKILL);
    interrupted += qel::test::exitCodeOf(child) == -1;  // killed before it ended
    int whole = 0;
    for (int k = 0; k < kKeys; ++k) {
      const long count = valueCount(round, k);
      EXPECT_TRUE(count == -1 || count == kValues) << "round " << round << " key " << k << ": " << count;
      whole += count == kValues;
    }
    // Sections are imported in order: the whole keys come first.
    for (int k = 0; k < whole; ++k) EXPECT_EQ(valueCount(round, k), kValues) << "round " << round;
  }
  EXPECT_GT(interrupted, 0);
}
#endif

}  // namespace
