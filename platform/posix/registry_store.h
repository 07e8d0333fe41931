/*
 * The registry store: one SQLite database shared by every process of the
 * user (WAL mode, a busy timeout).  A Session locks the process's
 * connection, opens it on first use (again after a fork) and runs one
 * transaction; every call returns a Windows status.
 */
#ifndef QEL_POSIX_REGISTRY_STORE_H
#define QEL_POSIX_REGISTRY_STORE_H

#include <qel/win32.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace qel::posix::registry {

using KeyId = std::int64_t;
using Name = std::u16string;
using Bytes = std::vector<BYTE>;

// What RegQueryInfoKeyW reports: counts and the longest name (characters)
// and data (bytes).
struct KeyInfo {
  DWORD subkeys = 0, longestSubkey = 0;
  DWORD values = 0, longestValueName = 0, longestData = 0;
  FILETIME written{};
};

struct Value {
  Name name;
  DWORD type = REG_NONE;
  Bytes data;
};

class Session {
 public:
  explicit Session(bool write);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Of opening the store and starting the transaction; nothing else may be
  // called unless it is ERROR_SUCCESS.
  LSTATUS status() const { return status_; }
  LSTATUS commit();

  // The key of a predefined root; ERROR_INVALID_HANDLE for other values.
  LSTATUS root(HKEY predefined, KeyId& id);
  // ERROR_KEY_DELETED once the key is gone.
  LSTATUS exists(KeyId id);
  // A root, the classes key and their ancestors cannot be deleted.
  bool isProtected(KeyId id) const;

  LSTATUS child(KeyId parent, const Name& name, KeyId& id);  // ERROR_FILE_NOT_FOUND
  LSTATUS addChild(KeyId parent, const Name& name, KeyId& id);
  LSTATUS hasChildren(KeyId id, bool& any);
  LSTATUS removeKey(KeyId id);
  // Subkeys in the order of their upper-case names; ERROR_NO_MORE_ITEMS.
  LSTATUS childAt(KeyId parent, DWORD index, Name& name, FILETIME& written);

  LSTATUS value(KeyId key, const Name& name, DWORD& type, Bytes& data);  // ERROR_FILE_NOT_FOUND
  LSTATUS setValue(KeyId key, const Name& name, DWORD type, const BYTE* data, DWORD size);
  LSTATUS removeValue(KeyId key, const Name& name);
  LSTATUS info(KeyId key, KeyInfo& info);
  // Values in the order they were first set; ERROR_NO_MORE_ITEMS.
  LSTATUS valueAt(KeyId key, DWORD index, Value& value);

 private:
  std::unique_lock<std::recursive_mutex> lock_;
  LSTATUS status_;
  bool open_ = false;
  bool nested_ = false;  // a savepoint inside a Transaction
};

// The store's side of CreateTransaction: from enter() until commit() or
// rollback() the calling thread holds the connection and one store
// transaction, in which its Sessions nest.  Used by one thread only.
class Transaction {
 public:
  Transaction() = default;
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  LSTATUS enter();  // the first time: waits for the store's write lock
  LSTATUS commit();
  void rollback();

 private:
  std::unique_lock<std::recursive_mutex> lock_;
};

}  // namespace qel::posix::registry

#endif
