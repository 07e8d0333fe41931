/*
 * What the library holds across calls that may throw for lack of memory:
 * a heap block, an open registry key and a registry transaction, given
 * back when the scope ends however it ends.
 */
#ifndef QELBASE_SCOPE_GUARDS_H
#define QELBASE_SCOPE_GUARDS_H

#include <qel/win32.h>

#include "frame/Heap.h"

namespace qel {

template <class T>
class HeapBlock {
 public:
  explicit HeapBlock(T* block = nullptr) : block_(block) {}
  ~HeapBlock() { heapFree(block_); }
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;
  T* get() const { return block_; }
  T*& out() { return block_; }  // for functions that hand a block out

 private:
  T* block_;
};

class OpenKey {
 public:
  OpenKey() = default;
  ~OpenKey() { close(); }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return key_; }
  HKEY* out() { return &key_; }  // for the calls that open it
  // Closes now, for a caller that reports the status.
  LONG close() {
    const HKEY key = key_;
    key_ = nullptr;
    return key ? RegCloseKey(key) : ERROR_SUCCESS;
  }

 private:
  HKEY key_ = nullptr;
};

// A registry transaction: keys created through it are written at once on
// commit(), or not at all if the process dies first.  Where the system
// offers none, keys are created plainly and commit() has nothing to do.
// Closing without a commit rolls back.
class RegistryTransaction {
 public:
  RegistryTransaction()
      : handle_(CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr)),
        error_(handle_ == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS) {}
  ~RegistryTransaction() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  RegistryTransaction(const RegistryTransaction&) = delete;
  RegistryTransaction& operator=(const RegistryTransaction&) = delete;

  LONG createKey(HKEY root, LPCWSTR subKey, REGSAM access, HKEY* key) {
    WCHAR noClass[] = {0};
    // A system without the service writes key by key; one whose service
    // failed to start a transaction writes nothing rather than part.
    if (handle_ == INVALID_HANDLE_VALUE && error_ != ERROR_CALL_NOT_IMPLEMENTED)
      return LONG(error_ ? error_ : ERROR_REGISTRY_IO_FAILED);
    if (handle_ != INVALID_HANDLE_VALUE) {
      LONG e = RegCreateKeyTransactedW(root, subKey, 0, noClass, REG_OPTION_NON_VOLATILE, access, nullptr,
                                       key, nullptr, handle_, nullptr);
      if (e != ERROR_CALL_NOT_IMPLEMENTED) return e;
      CloseHandle(handle_);  // a system with the calls but not the service (Wine)
      handle_ = INVALID_HANDLE_VALUE;
      error_ = ERROR_CALL_NOT_IMPLEMENTED;
    }
    return RegCreateKeyExW(root, subKey, 0, noClass, REG_OPTION_NON_VOLATILE, access, nullptr, key, nullptr);
  }
  // ERROR_SUCCESS, or the system's error.
  LONG commit() {
    if (handle_ == INVALID_HANDLE_VALUE || CommitTransaction(handle_)) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    return LONG(error ? error : ERROR_REGISTRY_IO_FAILED);
  }

 private:
  HANDLE handle_;
  DWORD error_;  // why there is no transaction
};

}  // namespace qel

#endif
