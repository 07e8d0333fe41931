/* The registry store's Windows behaviour: statuses, size protocols, case,
   stale handles, and several processes sharing one database. */
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/ScratchRegistry.h"
#include "support/WideText.h"

namespace {

using qel::test::WString;

const qel::test::ScratchRegistry scratch;

HKEY create(HKEY parent, const WCHAR* path, DWORD* disposition = nullptr, REGSAM access = KEY_ALL_ACCESS) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, 0, access, nullptr, &key, disposition), ERROR_SUCCESS)
      << qel::test::narrow(path);
  return key;
}

LSTATUS open(HKEY parent, const WCHAR* path, HKEY& key, REGSAM access = KEY_ALL_ACCESS) {
  return RegOpenKeyExW(parent, path, 0, access, &key);
}

LSTATUS setString(HKEY key, const WCHAR* name, const WString& text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        DWORD((text.size() + 1) * sizeof(WCHAR)));
}

WString readString(HKEY key, const WCHAR* name) {
  WCHAR buffer[256];
  DWORD size = sizeof buffer;
  return RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) ==
                 ERROR_SUCCESS
             ? WString(buffer)
             : WString(QEL_W("<missing>"));
}

std::vector<WString> subkeys(HKEY key) {
  std::vector<WString> names;
  WCHAR name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    LSTATUS status = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return names;
    EXPECT_EQ(status, ERROR_SUCCESS);
    names.emplace_back(name, length);
  }
}

TEST(Registry, KeyStatuses) {
  HKEY base = create(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Keys"));
  DWORD disposition = 0;
  HKEY a = create(base, QEL_W("Alpha\\Beta\\"),
                  &disposition);  // the keys on the path too; a final backslash is no name
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  RegCloseKey(create(base, QEL_W("alpha\\BETA"), &disposition));
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  RegCloseKey(create(base, QEL_W("gamma")));
  RegCloseKey(create(base, QEL_W("Äpfel")));
  RegCloseKey(create(base, QEL_W("äPFEL"), &disposition));
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));  // case-blind beyond ASCII
  EXPECT_EQ(subkeys(base),
            (std::vector<WString>{QEL_W("Alpha"), QEL_W("gamma"), QEL_W("Äpfel")}));  // first spelling kept

  HKEY readOnly = nullptr, key = nullptr;
  ASSERT_EQ(open(base, nullptr, readOnly, KEY_READ), ERROR_SUCCESS);
  HKEY bogus = reinterpret_cast<HKEY>(&disposition);
  // clang-format off
  const struct { LSTATUS got, expected; const char* call; } rows[] = {
      {open(base, QEL_W("Missing\\Key"), key), ERROR_FILE_NOT_FOUND, "open a missing key"},
      {open(base, QEL_W("\\Alpha"), key), ERROR_BAD_PATHNAME, "open with a leading backslash"},
      {open(base, QEL_W("Alpha\\\\Beta"), key), ERROR_BAD_PATHNAME, "open with a doubled backslash"},
      {open(bogus, QEL_W("Alpha"), key), ERROR_INVALID_HANDLE, "open below no handle"},
      {RegOpenKeyExW(base, QEL_W("Alpha"), 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER, "open without result"},
      {RegCreateKeyExW(readOnly, QEL_W("New"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
       ERROR_ACCESS_DENIED, "create below a read-only handle"},
      {RegCreateKeyExW(base, nullptr, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
       ERROR_INVALID_PARAMETER, "create without a name"},
      {RegDeleteKeyW(base, QEL_W("Alpha")), ERROR_ACCESS_DENIED, "delete a key with subkeys"},
      {RegDeleteKeyW(base, QEL_W("Missing")), ERROR_FILE_NOT_FOUND, "delete a missing key"},
      {RegDeleteKeyW(base, nullptr), ERROR_INVALID_PARAMETER, "delete without a name"},
      {RegDeleteKeyW(HKEY_LOCAL_MACHINE, QEL_W("")), ERROR_ACCESS_DENIED, "delete a root"},
      {RegDeleteKeyW(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\Classes")), ERROR_ACCESS_DENIED, "delete the classes key"},
      {RegDeleteKeyW(base, QEL_W("ALPHA\\beta")), ERROR_SUCCESS, "delete a leaf, any case"},
      {RegDeleteKeyW(base, QEL_W("Alpha\\Beta")), ERROR_FILE_NOT_FOUND, "delete it again"},
      {RegCloseKey(bogus), ERROR_INVALID_HANDLE, "close no handle"},
      {RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS, "close a root"},
  };
  // clang-format on
  for (const auto& row : rows) EXPECT_EQ(row.got, row.expected) << row.call;

  HKEY same = nullptr;
  EXPECT_EQ(open(HKEY_LOCAL_MACHINE, QEL_W(""), same), ERROR_SUCCESS);
  EXPECT_EQ(same, HKEY_LOCAL_MACHINE);  // an empty path on a root is the root
  // The classes root is a view of the machine's classes key.
  RegCloseKey(create(HKEY_CLASSES_ROOT, QEL_W(".qeltest")));
  EXPECT_EQ(open(HKEY_LOCAL_MACHINE, QEL_W("software\\classes\\.QELTEST"), key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, QEL_W(".qeltest")), ERROR_SUCCESS);
  for (HKEY k : {a, readOnly, base}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
}

// A value query as "status type size data": a buffer of `room` bytes (-1:
// none), the data in hex as far as it was written.
std::string query(HKEY key, const WCHAR* name, long room, bool withType = true) {
  BYTE data[8] = {};
  DWORD type = 99, size = room < 0 ? 0 : DWORD(room);
  const LSTATUS status =
      RegQueryValueExW(key, name, nullptr, withType ? &type : nullptr, room < 0 ? nullptr : data, &size);
  std::string text = std::to_string(status) + " " + std::to_string(type) + " " + std::to_string(size) + " ";
  for (DWORD i = 0; status == ERROR_SUCCESS && room > 0 && i < size; ++i)
    text += "0123456789abcdef"[data[i] >> 4], text += "0123456789abcdef"[data[i] & 15];
  return text;
}

TEST(Registry, ValuesAndSizeProtocols) {
  HKEY key = create(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Values"));
  const BYTE binary[] = {0, 1, 2, 0, 0xFF};
  const DWORD number = 0x12345678;
  const WCHAR multi[] = QEL_W("one\0two\0");
  ASSERT_EQ(setString(key, QEL_W("Text"), QEL_W("abc")), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, QEL_W("Binary"), 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, QEL_W("Number"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, QEL_W("Multi"), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi),
                           sizeof multi),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, QEL_W("Empty"), 0, REG_NONE, nullptr, 0), ERROR_SUCCESS);
  ASSERT_EQ(setString(key, nullptr, QEL_W("default")), ERROR_SUCCESS);
  ASSERT_EQ(setString(key, QEL_W("TEXT"), QEL_W("abcd")), ERROR_SUCCESS);  // replaces, keeps name and place

  EXPECT_EQ(readString(key, QEL_W("")), QEL_W("default"));  // null and empty name are the default value
  EXPECT_EQ(readString(key, QEL_W("text")), QEL_W("abcd"));
  // clang-format off
  const struct { std::string got, expected; } queries[] = {
      {query(key, QEL_W("Binary"), -1), "0 3 5 "},            // the size alone
      {query(key, QEL_W("Binary"), 4), "234 3 5 "},           // too small: the size and type, no data
      {query(key, QEL_W("Binary"), 8, false), "0 99 5 00010200ff"},
      {query(key, QEL_W("Number"), 8), "0 4 4 78563412"},
      {query(key, QEL_W("Empty"), 8), "0 0 0 "},
      {query(key, QEL_W("Missing"), 8), "2 99 8 "},
  };
  // clang-format on
  for (const auto& q : queries) EXPECT_EQ(q.got, q.expected);
  DWORD type = 99, size = 0;
  BYTE data[8] = {};
  EXPECT_EQ(RegQueryValueExW(key, QEL_W("Binary"), nullptr, nullptr, data, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExW(key, QEL_W("Bad"), 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);

  // Enumeration in the order the values were first set, with both size protocols.
  const std::vector<std::pair<WString, DWORD>> expected{
      {QEL_W("Text"), REG_SZ},        {QEL_W("Binary"), REG_BINARY}, {QEL_W("Number"), REG_DWORD},
      {QEL_W("Multi"), REG_MULTI_SZ}, {QEL_W("Empty"), REG_NONE},    {QEL_W(""), REG_SZ}};
  WCHAR name[32];
  std::vector<std::pair<WString, DWORD>> listed;
  for (DWORD nameLength = 32, dataSize = sizeof data;
       RegEnumValueW(key, DWORD(listed.size()), name, &nameLength, nullptr, &type, nullptr, &dataSize) ==
       ERROR_SUCCESS;
       nameLength = 32, dataSize = sizeof data)
    listed.emplace_back(WString(name, nameLength), type);
  EXPECT_EQ(listed, expected);
  DWORD nameLength = 4, dataSize = 2;  // "Text" needs 5 characters with its terminator
  EXPECT_EQ(RegEnumValueW(key, 0, name, &nameLength, nullptr, nullptr, data, &dataSize), ERROR_MORE_DATA);
  nameLength = 5;
  EXPECT_EQ(RegEnumValueW(key, 0, name, &nameLength, nullptr, nullptr, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 10u);  // "abcd" and its terminator
  EXPECT_EQ(nameLength, 4u);

  HKEY readOnly = nullptr, writeOnly = nullptr;
  ASSERT_EQ(open(key, nullptr, readOnly, KEY_READ), ERROR_SUCCESS);
  ASSERT_EQ(open(key, nullptr, writeOnly, KEY_WRITE), ERROR_SUCCESS);
  // clang-format off
  const struct { LSTATUS got, expected; } access[] = {
      {setString(readOnly, QEL_W("Text"), QEL_W("x")), ERROR_ACCESS_DENIED},
      {RegDeleteValueW(readOnly, QEL_W("Text")), ERROR_ACCESS_DENIED},
      {RegQueryValueExW(writeOnly, QEL_W("Text"), nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED},
      {RegEnumKeyExW(writeOnly, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED},
      {RegDeleteValueW(writeOnly, QEL_W("text")), ERROR_SUCCESS},
      {RegDeleteValueW(writeOnly, QEL_W("Text")), ERROR_FILE_NOT_FOUND},
  };
  // clang-format on
  for (const auto& a : access) EXPECT_EQ(a.got, a.expected);
  for (HKEY k : {readOnly, writeOnly, key}) RegCloseKey(k);
}

TEST(Registry, HandlesOfDeletedKeys) {
  HKEY stale = create(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Doomed"));
  ASSERT_EQ(setString(stale, QEL_W("v"), QEL_W("1")), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Doomed")), ERROR_SUCCESS);
  HKEY again = create(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Doomed"));  // a new key of the same name
  DWORD size = 0, length = 16;
  WCHAR name[16];
  HKEY child = nullptr;
  for (LSTATUS status :
       {RegQueryValueExW(stale, QEL_W("v"), nullptr, nullptr, nullptr, &size),
        setString(stale, QEL_W("v"), QEL_W("2")),
        RegEnumKeyExW(stale, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
        RegCreateKeyExW(stale, QEL_W("c"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
        open(stale, QEL_W(""), child)})
    EXPECT_EQ(status, ERROR_KEY_DELETED);
  EXPECT_EQ(readString(again, QEL_W("v")), QEL_W("<missing>"));  // the old values went with the old key
  EXPECT_EQ(RegCloseKey(stale), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(stale), ERROR_INVALID_HANDLE);
  RegCloseKey(again);
}

TEST(Registry, ProcessesShareTheStore) {
  constexpr int kWriters = 2, kValues = 150;
  HKEY key = create(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Shared"));
  EXPECT_TRUE(qel::test::inChildren(kWriters, [](int w) {
    HKEY mine = nullptr;
    if (open(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Shared"), mine) != ERROR_SUCCESS) return 3;
    for (int i = 0; i < kValues; ++i) {
      WString name = qel::test::wprintf(QEL_W("w%d-%d"), w, i);
      if (setString(mine, name.c_str(), name + QEL_W("!")) != ERROR_SUCCESS) return 4;
      if (readString(mine, name.c_str()) != name + QEL_W("!")) return 5;
    }
    return 0;
  }));
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kValues; ++i) {
      WString name = qel::test::wprintf(QEL_W("w%d-%d"), w, i);
      ASSERT_EQ(readString(key, name.c_str()), name + QEL_W("!"));
    }
  RegCloseKey(key);
}

TEST(Registry, KilledWriterLeavesTheStoreConsistent) {
  HKEY key = create(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Killed"));
  constexpr size_t kSize = 64 * 1024;
  pid_t pid = fork();
  if (pid == 0) {
    std::vector<BYTE> block(kSize);
    for (unsigned round = 0;; ++round) {
      std::fill(block.begin(), block.end(), BYTE(round));
      RegSetValueExW(key, QEL_W("Block"), 0, REG_BINARY, block.data(), DWORD(kSize));
      RegSetValueExW(key, QEL_W("Round"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&round), 4);
    }
  }
  usleep(300 * 1000);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  std::vector<BYTE> block(kSize);
  DWORD size = DWORD(kSize), round = 0, roundSize = 4;
  ASSERT_EQ(RegQueryValueExW(key, QEL_W("Block"), nullptr, nullptr, block.data(), &size), ERROR_SUCCESS);
  ASSERT_EQ(size, kSize);
  EXPECT_EQ(std::count(block.begin(), block.end(), block[0]), ptrdiff_t(kSize)) << "a torn value";
  ASSERT_EQ(
      RegQueryValueExW(key, QEL_W("Round"), nullptr, nullptr, reinterpret_cast<BYTE*>(&round), &roundSize),
      ERROR_SUCCESS);
  EXPECT_TRUE(block[0] == BYTE(round) || block[0] == BYTE(round + 1));
  EXPECT_EQ(setString(key, QEL_W("After"), QEL_W("ok")), ERROR_SUCCESS);
  EXPECT_EQ(readString(key, QEL_W("After")), QEL_W("ok"));
  RegCloseKey(key);
}

// Another process (a fresh connection) on a database that is not a store.
LSTATUS openIn(const std::string& path) {
  return LSTATUS(qel::test::inChild([&] {
    setenv("QELBASE_REGISTRY", path.c_str(), 1);
    HKEY key = nullptr;
    return int(open(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE"), key));
  }));
}

TEST(Registry, UnusableDatabasesAreReportedAndKept) {
  const std::string garbage = scratch.folder() + "/garbage.db", foreign = scratch.folder() + "/foreign.db";
  qel::test::writeFile(garbage, std::string(4096, 'x'));
  EXPECT_EQ(openIn(garbage), ERROR_BADDB);
  EXPECT_EQ(qel::test::readFile(garbage), std::string(4096, 'x'));  // never replaced

  // A database of another application: left as it is.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_EQ(openIn(foreign), ERROR_BADDB);
  ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "SELECT * FROM keys", nullptr, nullptr, nullptr),
            SQLITE_ERROR);  // nothing added
  sqlite3_close(db);
  EXPECT_EQ(openIn("/dev/null/registry.db"), ERROR_REGISTRY_IO_FAILED);

  // An empty file is somebody else's: the store never leaves one behind.
  const std::string empty = scratch.folder() + "/empty.db";
  qel::test::writeFile(empty, "");
  EXPECT_EQ(openIn(empty), ERROR_BADDB);
  EXPECT_EQ(std::filesystem::file_size(empty), 0u);

  // A new store exists whole as soon as it exists; the last process to
  // close it leaves no log beside it.
  const std::string fresh = scratch.folder() + "/fresh.db";
  pid_t child = fork();
  if (child == 0) {
    setenv("QELBASE_REGISTRY", fresh.c_str(), 1);
    HKEY key = create(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Fresh"));
    std::exit(setString(key, QEL_W("v"), QEL_W("x")) == ERROR_SUCCESS ? 0 : 1);  // exit handlers run
  }
  EXPECT_EQ(qel::test::exitCodeOf(child), 0);
  EXPECT_GT(std::filesystem::file_size(fresh), 0u);
  EXPECT_FALSE(std::filesystem::exists(fresh + "-wal"));
}

TEST(Registry, NamesBeyondWindowsLimitsAreRefused) {
  HKEY parent = create(HKEY_CURRENT_USER, QEL_W("Software\\QelTest\\Limits"));
  const struct {
    WString subKey, valueName;
    LSTATUS expected;
  } cases[] = {
      {WString(255, 'k'), QEL_W("v"), ERROR_SUCCESS},
      {WString(256, 'k'), QEL_W("v"), ERROR_INVALID_PARAMETER},
      {QEL_W("a\nb"), QEL_W("v"), ERROR_INVALID_PARAMETER},
      {QEL_W("tab\tkey"), QEL_W("v"), ERROR_INVALID_PARAMETER},
      {QEL_W("ok"), WString(16383, 'v'), ERROR_SUCCESS},
      {QEL_W("ok"), WString(16384, 'v'), ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    HKEY key = nullptr;
    LSTATUS status =
        RegCreateKeyExW(parent, c.subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) status = setString(key, c.valueName.c_str(), QEL_W("x"));
    EXPECT_EQ(status, c.expected) << c.subKey.size() << " " << c.valueName.size();
    if (key) RegCloseKey(key);
  }
  // What exists lists without fail: no neighbour is too long for a reader.
  WCHAR name[256];
  DWORD length = 256, count = 0;
  for (DWORD i = 0; RegEnumKeyExW(parent, i, name, &length, nullptr, nullptr, nullptr, nullptr) == 0; ++i)
    ++count, length = 256;
  EXPECT_EQ(count, 2u);
  RegCloseKey(parent);
}

// Values in the store, as a connection of its own reads them.
long storedValues() {
  sqlite3* db = nullptr;
  long count = -1;
  if (sqlite3_open_v2(scratch.path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
    sqlite3_exec(
        db, "SELECT count(*) FROM vals",
        [](void* out, int, char** row, char**) { return *static_cast<long*>(out) = std::atol(row[0]), 0; },
        &count, nullptr);
  sqlite3_close(db);
  return count;
}

TEST(Registry, TransactionsCommitWholeOrRollBack) {
  RegCloseKey(create(HKEY_CURRENT_USER, QEL_W("Software\\QelTest")));  // the store exists
  for (bool commit : {true, false}) {
    const long valuesBefore = storedValues();
    HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    ASSERT_NE(transaction, INVALID_HANDLE_VALUE);
    const WCHAR* path = commit ? QEL_W("Software\\QelTest\\Committed") : QEL_W("Software\\QelTest\\Dropped");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyTransactedW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                      nullptr, transaction, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(setString(key, QEL_W("one"), QEL_W("1")), ERROR_SUCCESS);
    EXPECT_EQ(setString(key, QEL_W("two"), QEL_W("2")), ERROR_SUCCESS);
    RegCloseKey(key);
    // Another connection sees nothing before the commit.
    EXPECT_EQ(storedValues(), valuesBefore);
    EXPECT_EQ(commit ? CommitTransaction(transaction) : RollbackTransaction(transaction), TRUE);
    CloseHandle(transaction);
    EXPECT_EQ(open(HKEY_CURRENT_USER, path, key), commit ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    if (commit) {
      EXPECT_EQ(readString(key, QEL_W("two")), QEL_W("2"));
      RegCloseKey(key);
    }
  }
}

}  // namespace
