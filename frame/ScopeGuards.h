/*
 * What the library holds across calls that may throw for lack of memory:
 * a heap block and an open registry key, given back when the scope ends
 * however it ends.
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

}  // namespace qel

#endif
