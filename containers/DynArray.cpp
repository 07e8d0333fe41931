/* The dynamic array: growth by a fixed step, never shrinking. */
#include "containers/DynArray.h"

#include <cstdint>
#include <cstring>

#include "containers/DynArraySlot.h"
#include "containers/DynArrayTail.h"
#include "frame/Heap.h"

namespace {

char* slot(DA da, LONG index) {
  return static_cast<char*>(da->pData) + size_t(index) * size_t(da->nElemSize);
}

// Whether `p` points into the bytes [begin, end); compared as addresses, as
// the pointers may belong to different blocks.
bool liesIn(const void* p, const void* begin, const void* end) {
  auto at = reinterpret_cast<uintptr_t>(p);
  return at >= reinterpret_cast<uintptr_t>(begin) && at < reinterpret_cast<uintptr_t>(end);
}

// Reallocates to `capacity` slots; false (array unchanged) on failure or
// when the size cannot be represented.  An element the caller took from the
// array itself is followed into the moved buffer.
bool growTo(DA da, int64_t capacity, const void*& elem) {
  if (capacity > INT32_MAX || uint64_t(capacity) > SIZE_MAX / uint64_t(da->nElemSize)) return false;
  bool inside = liesIn(elem, da->pData, slot(da, da->nAlloc));
  size_t offset = inside ? size_t(static_cast<const char*>(elem) - static_cast<char*>(da->pData)) : 0;
  void* data = qel::heapRealloc(da->pData, size_t(capacity) * size_t(da->nElemSize));
  if (!data) return false;
  if (inside) elem = static_cast<char*>(data) + offset;
  da->pData = data;
  da->nAlloc = LONG(capacity);
  return true;
}

// Room for the element at the count, grown by one step when the array is
// full; false (array unchanged) when it cannot grow.
bool roomForOneMore(DA da, const void*& elem) {
  return da->nCount < da->nAlloc || growTo(da, int64_t(da->nAlloc) + da->nGrowBy, elem);
}

void* store(DA da, LONG index, const void* elem) {
  std::memmove(slot(da, index), elem, size_t(da->nElemSize));
  return slot(da, index);
}

}  // namespace

extern "C" {

DA QEL_CDECL DACreate(LONG nElemSize, LONG nInitialCapacity) {
  return qel::daCreateWithTail(nElemSize, nInitialCapacity, 0);
}

void QEL_CDECL DADestroy(DA da) {
  if (!da) return;
  qel::heapFree(da->pData);
  qel::heapFree(da);
}

void* QEL_CDECL DAAddElem(DA da, const void* pElem) {
  if (!da || !pElem) return nullptr;
  if (!roomForOneMore(da, pElem)) return nullptr;
  void* stored = store(da, da->nCount, pElem);
  ++da->nCount;
  return stored;
}

void* QEL_CDECL DASetElem(DA da, LONG nIndex, const void* pElem) {
  if (!da || !pElem || nIndex < 0) return nullptr;
  if (nIndex >= da->nAlloc) {
    // The first multiple of the step above the index.
    int64_t steps = (int64_t(nIndex) - da->nAlloc) / da->nGrowBy + 1;
    if (!growTo(da, da->nAlloc + steps * da->nGrowBy, pElem)) return nullptr;
  }
  if (nIndex >= da->nCount) da->nCount = nIndex + 1;
  return store(da, nIndex, pElem);
}

void* QEL_CDECL DAInsertElem(DA da, LONG nIndex, const void* pElem) {
  if (!da || !pElem || nIndex < 0) return nullptr;
  if (nIndex >= da->nCount) return DASetElem(da, nIndex, pElem);
  // Grows while one free slot still remains, as the array always has.
  if (da->nCount + 1 >= da->nAlloc && !growTo(da, int64_t(da->nAlloc) + da->nGrowBy, pElem)) return nullptr;
  if (liesIn(pElem, slot(da, nIndex), slot(da, da->nCount)))
    pElem = static_cast<const char*>(pElem) + da->nElemSize;  // it moves up with its slot
  std::memmove(slot(da, nIndex + 1), slot(da, nIndex), size_t(da->nCount - nIndex) * size_t(da->nElemSize));
  ++da->nCount;
  return store(da, nIndex, pElem);
}

void* QEL_CDECL DAGetElem(DA da, LONG nIndex) {
  if (!da || nIndex < 0 || nIndex >= da->nAlloc) return nullptr;
  return slot(da, nIndex);
}

LONG QEL_CDECL DAGetSize(DA da) { return da ? da->nCount : 0; }

void QEL_CDECL DADeleteLast(DA da) {
  if (da && da->nCount > 0) --da->nCount;
}
}

namespace qel {

DA daCreateWithTail(LONG nElemSize, LONG nInitialCapacity, size_t tailBytes) {
  if (nElemSize <= 0 || nInitialCapacity <= 0) return nullptr;
  auto* da = static_cast<DA>(heapCalloc(1, tailBytes ? kDATailOffset + tailBytes : sizeof(DARecord)));
  if (!da) return nullptr;
  da->pData = heapCalloc(size_t(nInitialCapacity), size_t(nElemSize));
  if (!da->pData) {
    heapFree(da);
    return nullptr;
  }
  da->nAlloc = nInitialCapacity;
  da->nGrowBy = nInitialCapacity;
  da->nElemSize = nElemSize;
  return da;
}

void* daAppendSlot(DA da) {
  if (!da) return nullptr;
  const void* none = nullptr;
  if (!roomForOneMore(da, none)) return nullptr;
  return slot(da, da->nCount++);
}

}  // namespace qel
