/*
 * The registry on SQLite.  Keys and values are rows; names are kept as
 * given (UTF-16 blobs) and matched through their upper case, stored as
 * big-endian code units so that blob order is name order.  Key ids are
 * never reused, so a handle to a deleted key can tell that it is stale.
 */
#include "registry_store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "syscalls.h"
#include "wide_case.h"

namespace qel::posix::registry {
namespace {

constexpr int kApplicationId = 0x51454C52;  // "QELR": a database of ours
constexpr int kBusyTimeoutMs = 30000;

// The predefined roots by the low bits of their handle values; the classes
// root is a view of HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
constexpr struct {
  KeyId id;
  const char16_t* name;
} kRoots[] = {{0, u"HKEY_CLASSES_ROOT"}, {2, u"HKEY_CURRENT_USER"},     {3, u"HKEY_LOCAL_MACHINE"},
              {4, u"HKEY_USERS"},        {5, u"HKEY_PERFORMANCE_DATA"}, {6, u"HKEY_CURRENT_CONFIG"}};
constexpr KeyId kLocalMachine = 3;

const char* const kSchema =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL, name BLOB NOT NULL,"
    " folded BLOB NOT NULL, written INTEGER NOT NULL, UNIQUE(parent, folded));"
    "CREATE TABLE vals(seq INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL, name BLOB NOT NULL,"
    " folded BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, folded));";

struct Connection {
  std::recursive_mutex mutex;
  sqlite3* db = nullptr;
  sqlite3* inherited = nullptr;  // the parent's, after a fork: kept, never used
  pid_t pid = 0;
  KeyId classes = 0;
  std::vector<KeyId> protectedKeys;  // the classes key and its ancestors
  std::map<const char*, sqlite3_stmt*> statements;
  bool inTransaction = false;  // a Transaction's: sessions nest as savepoints
};

// Never destroyed, so that the store also serves exit handlers.
Connection& connection() {
  static Connection* c = new Connection;
  return *c;
}

LSTATUS statusOf(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ERROR_BADDB;
    case SQLITE_NOMEM: return ERROR_OUTOFMEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    default: return ERROR_REGISTRY_IO_FAILED;
  }
}

Bytes folded(const Name& name) {
  Bytes out;
  out.reserve(name.size() * 2);
  for (char16_t c : name) {
    char16_t upper = upperLetter(c);
    out.push_back(BYTE(upper >> 8));
    out.push_back(BYTE(upper & 0xFF));
  }
  return out;
}

LONGLONG now() {
  FILETIME t;
  GetSystemTimeAsFileTime(&t);
  return LONGLONG((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

// One cached statement, reset for the next use when it goes out of scope.
class Statement {
 public:
  Statement(Connection& c, const char* sql) {
    auto found = c.statements.find(sql);
    if (found != c.statements.end()) {
      stmt_ = found->second;
    } else if ((rc_ = sqlite3_prepare_v2(c.db, sql, -1, &stmt_, nullptr)) == SQLITE_OK) {
      try {
        c.statements.emplace(sql, stmt_);
      } catch (...) {
        sqlite3_finalize(stmt_);  // an uncached statement would keep the connection alive
        throw;
      }
    }
  }
  ~Statement() {
    if (stmt_) {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int i, LONGLONG v) {
    if (rc_ == SQLITE_OK) rc_ = sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  Statement& bind(int i, const void* data, size_t size) {
    static const BYTE kEmpty = 0;  // a zero-length blob, not NULL
    if (rc_ == SQLITE_OK) rc_ = sqlite3_bind_blob64(stmt_, i, size ? data : &kEmpty, size, SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bind(int i, const Bytes& b) { return bind(i, b.data(), b.size()); }
  Statement& bindName(int i, const Name& n) { return bind(i, n.data(), n.size() * sizeof(char16_t)); }

  // SQLITE_ROW, SQLITE_DONE or an error.
  int step() { return rc_ == SQLITE_OK ? sqlite3_step(stmt_) : rc_; }
  LSTATUS run() { return statusOf(step()); }

  LONGLONG integer(int column) const { return sqlite3_column_int64(stmt_, column); }
  Bytes blob(int column) const {
    auto* p = static_cast<const BYTE*>(sqlite3_column_blob(stmt_, column));
    return p ? Bytes(p, p + sqlite3_column_bytes(stmt_, column)) : Bytes();
  }
  Name name(int column) const {
    auto* p = static_cast<const char16_t*>(sqlite3_column_blob(stmt_, column));
    return p ? Name(p, size_t(sqlite3_column_bytes(stmt_, column)) / sizeof(char16_t)) : Name();
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int rc_ = SQLITE_OK;
};

int exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

LONGLONG pragmaValue(sqlite3* db, const char* sql, int& rc) {
  sqlite3_stmt* stmt = nullptr;
  LONGLONG value = 0;
  rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      value = sqlite3_column_int64(stmt, 0);
      rc = SQLITE_OK;
    }
  }
  sqlite3_finalize(stmt);
  return value;
}

// The folders of the file are made on first use; the file itself is left
// to SQLite, and an existing one is never replaced.
LSTATUS databasePath(std::string& path) {
  if (const char* p = std::getenv("QELBASE_REGISTRY"); p && *p) {
    path = p;
  } else {
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (data && *data == '/')
      path = data;
    else if (home && *home)
      path = std::string(home) + "/.local/share";
    else
      return ERROR_REGISTRY_IO_FAILED;
    path += "/qelbase/registry.db";
  }
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    std::string folder = path.substr(0, slash);
    if (sys::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
      return errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_IO_FAILED;
  }
  return ERROR_SUCCESS;
}

int insertKey(Connection& c, KeyId parent, const Name& name, KeyId& id, KeyId fixedId = 0) {
  Statement s(c, "INSERT INTO keys(id, parent, name, folded, written) VALUES(?, ?, ?, ?, ?)");
  if (fixedId) s.bind(1, fixedId);
  int rc = s.bind(2, parent).bindName(3, name).bind(4, folded(name)).bind(5, now()).step();
  id = sqlite3_last_insert_rowid(c.db);
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// HKEY_LOCAL_MACHINE\SOFTWARE\Classes, made when missing.
int findClasses(Connection& c, bool create) {
  c.protectedKeys.clear();
  KeyId id = kLocalMachine;
  for (const Name name : {u"SOFTWARE", u"Classes"}) {
    Statement s(c, "SELECT id FROM keys WHERE parent = ? AND folded = ?");
    int rc = s.bind(1, id).bind(2, folded(name)).step();
    if (rc == SQLITE_ROW) {
      id = s.integer(0);
    } else if (rc != SQLITE_DONE) {
      return rc;
    } else if (!create) {
      return SQLITE_NOTFOUND;
    } else if ((rc = insertKey(c, id, name, id)) != SQLITE_OK) {
      return rc;
    }
    c.protectedKeys.push_back(id);
  }
  c.classes = id;
  return SQLITE_OK;
}

int createSchema(Connection& c) {
  int rc = exec(c.db, kSchema);
  for (const auto& root : kRoots) {
    KeyId id;
    if (rc == SQLITE_OK && root.id) rc = insertKey(c, 0, root.name, id, root.id);
  }
  if (rc == SQLITE_OK) rc = exec(c.db, ("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
  return rc;
}

// Our tables, made in a new database; another application's database or a
// damaged file is reported, never changed.
int prepareStore(Connection& c) {
  int rc;
  for (bool writing : {false, true}) {
    if ((rc = exec(c.db, writing ? "BEGIN IMMEDIATE" : "BEGIN")) != SQLITE_OK) return rc;
    LONGLONG application = pragmaValue(c.db, "PRAGMA application_id", rc);
    LONGLONG tables = rc == SQLITE_OK ? pragmaValue(c.db, "SELECT count(*) FROM sqlite_master", rc) : 0;
    if (rc == SQLITE_OK) {
      if (application == kApplicationId)
        rc = findClasses(c, writing);
      else if (application != 0 || tables != 0)
        rc = SQLITE_NOTADB;
      else
        rc = writing ? createSchema(c) : SQLITE_NOTFOUND;
      if (rc == SQLITE_OK && writing && !c.classes) rc = findClasses(c, true);
    }
    if (rc == SQLITE_OK) return exec(c.db, "COMMIT");
    exec(c.db, "ROLLBACK");
    if (rc != SQLITE_NOTFOUND) return rc;  // else: set up under the write lock
  }
  return rc;
}

void closeStore(Connection& c) {
  for (auto& [sql, stmt] : c.statements) sqlite3_finalize(stmt);
  c.statements.clear();
  sqlite3_close_v2(c.db);  // freed even with a statement still open
  c.db = nullptr;
}

// A new store is made under a temporary name and linked into place whole,
// so an empty file at the store's path is never one of ours: it is
// reported as a foreign file.  A store another process made meanwhile wins.
int createStoreFile(const std::string& path) {
  const std::string temporary = path + ".new" + std::to_string(getpid());
  sys::unlink(temporary.c_str());  // a leftover of a process that died here
  Connection fresh;
  int rc = sqlite3_open_v2(temporary.c_str(), &fresh.db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  try {
    if (rc == SQLITE_OK) rc = exec(fresh.db, "PRAGMA journal_mode = WAL");
    if (rc == SQLITE_OK) rc = exec(fresh.db, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK) rc = createSchema(fresh);
    if (rc == SQLITE_OK) rc = exec(fresh.db, "COMMIT");
  } catch (...) {
    closeStore(fresh);
    sys::unlink(temporary.c_str());
    throw;
  }
  closeStore(fresh);  // the last connection: the log goes into the file
  // Where the file system has no hard links, a rename does (it would replace
  // a store made in the same instant, which has nothing in it yet).
  if (rc == SQLITE_OK && sys::link(temporary.c_str(), path.c_str()) != 0 && errno != EEXIST &&
      sys::rename(temporary.c_str(), path.c_str()) != 0)
    rc = SQLITE_CANTOPEN;
  sys::unlink(temporary.c_str());
  return rc;
}

// The last connection to close moves the write-ahead log into the store
// file and removes it, so registry.db alone is a whole copy afterwards.
void closeAtExit() {
  Connection& c = connection();
  std::lock_guard<std::recursive_mutex> hold(c.mutex);
  if (c.db && c.pid == getpid() && !c.inTransaction) closeStore(c);
}

// SQLite's own file calls go through the layer's table too, so that the
// store's input and output can fail where a test wants them to.
int databaseOpen(const char* path, int flags, int mode) { return sys::open(path, flags, mode_t(mode)); }
int databaseClose(int fd) { return sys::close(fd); }
ssize_t databaseRead(int fd, void* buffer, size_t size, off_t at) { return sys::pread(fd, buffer, size, at); }
ssize_t databaseWrite(int fd, const void* buffer, size_t size, off_t at) {
  return sys::pwrite(fd, buffer, size, at);
}
int databaseTruncate(int fd, off_t size) { return sys::ftruncate(fd, size); }
int databaseStat(int fd, struct stat* st) { return sys::fstat(fd, st); }
int databaseUnlink(const char* path) { return sys::unlink(path); }

void routeDatabaseCalls() {
  static std::once_flag once;
  std::call_once(once, [] {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    if (!vfs || !vfs->xSetSystemCall) return;
    const std::pair<const char*, sqlite3_syscall_ptr> routes[] = {
        {"open", reinterpret_cast<sqlite3_syscall_ptr>(databaseOpen)},
        {"close", reinterpret_cast<sqlite3_syscall_ptr>(databaseClose)},
        {"pread", reinterpret_cast<sqlite3_syscall_ptr>(databaseRead)},
        {"pread64", reinterpret_cast<sqlite3_syscall_ptr>(databaseRead)},
        {"pwrite", reinterpret_cast<sqlite3_syscall_ptr>(databaseWrite)},
        {"pwrite64", reinterpret_cast<sqlite3_syscall_ptr>(databaseWrite)},
        {"ftruncate", reinterpret_cast<sqlite3_syscall_ptr>(databaseTruncate)},
        {"fstat", reinterpret_cast<sqlite3_syscall_ptr>(databaseStat)},
        {"unlink", reinterpret_cast<sqlite3_syscall_ptr>(databaseUnlink)},
    };
    for (const auto& [name, function] : routes)
      if (vfs->xGetSystemCall(vfs, name)) vfs->xSetSystemCall(vfs, name, function);
  });
}

LSTATUS openStore(Connection& c) {
  if (c.db && c.pid == getpid()) return ERROR_SUCCESS;
  routeDatabaseCalls();
  if (c.db) {
    // Inherited through fork: SQLite forbids using it here, and closing it
    // could disturb the parent's locks, so it is left alone.
    c.inherited = c.db;
    c.db = nullptr;
    c.statements.clear();
  }
  std::string path;
  if (LSTATUS s = databasePath(path)) return s;
  struct stat file {};
  const bool exists = sys::stat(path.c_str(), &file) == 0;
  if (exists && file.st_size == 0) return ERROR_BADDB;  // we never leave one empty
  int rc = exists ? SQLITE_OK : errno == ENOENT ? createStoreFile(path) : SQLITE_CANTOPEN;
  if (rc == SQLITE_OK) {
    rc = sqlite3_open_v2(path.c_str(), &c.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    c.pid = getpid();  // this process's connection from here on, not one a fork left
  }
  try {
    if (rc == SQLITE_OK) {
      sqlite3_busy_timeout(c.db, kBusyTimeoutMs);
      c.classes = 0;
      rc = exec(c.db, "PRAGMA journal_mode = WAL");
      if (rc == SQLITE_OK) rc = exec(c.db, "PRAGMA synchronous = FULL");
      if (rc == SQLITE_OK) rc = prepareStore(c);
    }
  } catch (...) {
    closeStore(c);
    throw;
  }
  if (rc != SQLITE_OK) {
    closeStore(c);
    return statusOf(rc);
  }
  static const bool closing = std::atexit(closeAtExit) == 0;
  (void)closing;
  return ERROR_SUCCESS;
}

}  // namespace

// Only the thread of a transaction gets the lock while it runs, so a
// session that finds one open belongs to it and nests as a savepoint.
Session::Session(bool write) : lock_(connection().mutex) {
  Connection& c = connection();
  nested_ = c.inTransaction;
  status_ = nested_ ? ERROR_SUCCESS : openStore(c);
  if (status_ == ERROR_SUCCESS)
    status_ = statusOf(exec(c.db, nested_ ? "SAVEPOINT session" : write ? "BEGIN IMMEDIATE" : "BEGIN"));
  open_ = status_ == ERROR_SUCCESS;
}

Session::~Session() {
  if (!open_) return;
  exec(connection().db, nested_ ? "ROLLBACK TO session" : "ROLLBACK");
  if (nested_) exec(connection().db, "RELEASE session");
}

LSTATUS Session::commit() {
  int rc = exec(connection().db, nested_ ? "RELEASE session" : "COMMIT");
  if (rc != SQLITE_OK && !nested_) exec(connection().db, "ROLLBACK");
  open_ = false;
  return statusOf(rc);
}

Transaction::~Transaction() { rollback(); }

LSTATUS Transaction::enter() {
  if (lock_.owns_lock()) return ERROR_SUCCESS;
  std::unique_lock<std::recursive_mutex> lock(connection().mutex);
  Connection& c = connection();
  if (c.inTransaction) return ERROR_BUSY;  // this thread's other transaction
  LSTATUS status = openStore(c);
  if (status == ERROR_SUCCESS) status = statusOf(exec(c.db, "BEGIN IMMEDIATE"));
  if (status != ERROR_SUCCESS) return status;
  c.inTransaction = true;
  lock_ = std::move(lock);
  return ERROR_SUCCESS;
}

LSTATUS Transaction::commit() {
  if (!lock_.owns_lock()) return ERROR_SUCCESS;  // nothing was done in it
  Connection& c = connection();
  int rc = exec(c.db, "COMMIT");
  if (rc != SQLITE_OK) exec(c.db, "ROLLBACK");
  c.inTransaction = false;
  lock_.unlock();
  return statusOf(rc);
}

void Transaction::rollback() {
  if (!lock_.owns_lock()) return;
  Connection& c = connection();
  exec(c.db, "ROLLBACK");
  c.inTransaction = false;
  lock_.unlock();
}

LSTATUS Session::root(HKEY predefined, KeyId& id) {
  const auto value = ULONG_PTR(predefined);
  for (size_t i = 0; i < std::size(kRoots); ++i) {
    if (value != ULONG_PTR(LONG_PTR(LONG(0x80000000u + i)))) continue;
    id = kRoots[i].id ? kRoots[i].id : connection().classes;
    return ERROR_SUCCESS;
  }
  return ERROR_INVALID_HANDLE;
}

LSTATUS Session::exists(KeyId id) {
  Statement s(connection(), "SELECT 1 FROM keys WHERE id = ?");
  int rc = s.bind(1, id).step();
  return rc == SQLITE_DONE ? ERROR_KEY_DELETED : statusOf(rc);
}

bool Session::isProtected(KeyId id) const {
  for (const auto& root : kRoots)
    if (root.id == id) return true;
  for (KeyId k : connection().protectedKeys)
    if (k == id) return true;
  return false;
}

LSTATUS Session::child(KeyId parent, const Name& name, KeyId& id) {
  Statement s(connection(), "SELECT id FROM keys WHERE parent = ? AND folded = ?");
  int rc = s.bind(1, parent).bind(2, folded(name)).step();
  if (rc == SQLITE_ROW) id = s.integer(0);
  return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : statusOf(rc);
}

LSTATUS Session::addChild(KeyId parent, const Name& name, KeyId& id) {
  return statusOf(insertKey(connection(), parent, name, id));
}

LSTATUS Session::hasChildren(KeyId id, bool& any) {
  Statement s(connection(), "SELECT 1 FROM keys WHERE parent = ? LIMIT 1");
  int rc = s.bind(1, id).step();
  any = rc == SQLITE_ROW;
  return statusOf(rc);
}

LSTATUS Session::removeKey(KeyId id) {
  LSTATUS status = Statement(connection(), "DELETE FROM vals WHERE key = ?").bind(1, id).run();
  return status ? status : Statement(connection(), "DELETE FROM keys WHERE id = ?").bind(1, id).run();
}

LSTATUS Session::childAt(KeyId parent, DWORD index, Name& name, FILETIME& written) {
  Statement s(connection(),
              "SELECT name, written FROM keys WHERE parent = ? ORDER BY folded LIMIT 1 OFFSET ?");
  int rc = s.bind(1, parent).bind(2, index).step();
  if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
  if (rc == SQLITE_ROW) {
    name = s.name(0);
    const auto t = ULONGLONG(s.integer(1));
    written = FILETIME{DWORD(t), DWORD(t >> 32)};
  }
  return statusOf(rc);
}

LSTATUS Session::value(KeyId key, const Name& name, DWORD& type, Bytes& data) {
  Statement s(connection(), "SELECT type, data FROM vals WHERE key = ? AND folded = ?");
  int rc = s.bind(1, key).bind(2, folded(name)).step();
  if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
  if (rc == SQLITE_ROW) {
    type = DWORD(s.integer(0));
    data = s.blob(1);
  }
  return statusOf(rc);
}

LSTATUS Session::setValue(KeyId key, const Name& name, DWORD type, const BYTE* data, DWORD size) {
  // An existing value keeps its name as first written and its place.
  LSTATUS status =
      Statement(connection(),
                "INSERT INTO vals(key, name, folded, type, data) VALUES(?, ?, ?, ?, ?)"
                " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data")
          .bind(1, key)
          .bindName(2, name)
          .bind(3, folded(name))
          .bind(4, type)
          .bind(5, data, size)
          .run();
  if (status) return status;
  return Statement(connection(), "UPDATE keys SET written = ? WHERE id = ?")
      .bind(1, now())
      .bind(2, key)
      .run();
}

LSTATUS Session::removeValue(KeyId key, const Name& name) {
  LSTATUS status = Statement(connection(), "DELETE FROM vals WHERE key = ? AND folded = ?")
                       .bind(1, key)
                       .bind(2, folded(name))
                       .run();
  if (status) return status;
  return sqlite3_changes(connection().db) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LSTATUS Session::info(KeyId key, KeyInfo& info) {
  Statement k(connection(),
              "SELECT count(*), coalesce(max(length(name)), 0) / 2,"
              " (SELECT written FROM keys WHERE id = ?1) FROM keys WHERE parent = ?1");
  int rc = k.bind(1, key).step();
  if (rc != SQLITE_ROW) return statusOf(rc);
  info.subkeys = DWORD(k.integer(0));
  info.longestSubkey = DWORD(k.integer(1));
  const auto t = ULONGLONG(k.integer(2));
  info.written = FILETIME{DWORD(t), DWORD(t >> 32)};
  Statement v(connection(),
              "SELECT count(*), coalesce(max(length(name)), 0) / 2, coalesce(max(length(data)), 0)"
              " FROM vals WHERE key = ?");
  rc = v.bind(1, key).step();
  if (rc != SQLITE_ROW) return statusOf(rc);
  info.values = DWORD(v.integer(0));
  info.longestValueName = DWORD(v.integer(1));
  info.longestData = DWORD(v.integer(2));
  return ERROR_SUCCESS;
}

LSTATUS Session::valueAt(KeyId key, DWORD index, Value& value) {
  Statement s(connection(), "SELECT name, type, data FROM vals WHERE key = ? ORDER BY seq LIMIT 1 OFFSET ?");
  int rc = s.bind(1, key).bind(2, index).step();
  if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
  if (rc == SQLITE_ROW) value = Value{s.name(0), DWORD(s.integer(1)), s.blob(2)};
  return statusOf(rc);
}

}  // namespace qel::posix::registry
