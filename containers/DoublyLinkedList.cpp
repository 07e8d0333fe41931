/* The doubly linked list.  It trusts its caller: elements and references
   must be linked (or, for insertion, unlinked) as each call expects. */
#include "containers/DoublyLinkedList.h"

#include <cstring>

#include "frame/Heap.h"
#include "trace/Trace.h"

namespace {

void freeElement(DLElement* e) {
  qel::heapFree(e->pValue);
  qel::heapFree(e);
}

}  // namespace

extern "C" {

DLHeader* QEL_CDECL DLCreateHeader(DWORD nValueSize) {
  auto* header = static_cast<DLHeader*>(qel::heapAlloc(sizeof(DLHeader)));
  if (header) *header = DLHeader{DL_MAGIC, nullptr, nullptr, 0, nValueSize};
  return header;
}

void QEL_CDECL DLRemoveHeader(DLHeader* pHeader) {
  if (!pHeader) return;
  for (DLElement* e = pHeader->pFirst; e;) {
    DLElement* next = e->pNext;
    freeElement(e);
    e = next;
  }
  qel::heapFree(pHeader);
}

DLElement* QEL_CDECL DLCreateElement(DLHeader* pHeader, const void* pValue) {
  if (!pHeader) return nullptr;
  auto* e = static_cast<DLElement*>(qel::heapAlloc(sizeof(DLElement)));
  if (!e) return nullptr;
  // A value of 0 bytes still gets a block of its own.
  *e = DLElement{nullptr, nullptr, qel::heapAlloc(pHeader->nValueSize ? pHeader->nValueSize : 1)};
  if (!e->pValue) {
    qel::heapFree(e);
    return nullptr;
  }
  if (pValue && pHeader->nValueSize) std::memcpy(e->pValue, pValue, pHeader->nValueSize);
  return e;
}

void QEL_CDECL DLInsertElement(DLHeader* pHeader, DLElement* pRef, DLElement* pElement, LONG bBefore) {
  if (!pHeader || !pElement) return;
  DLElement*& first = pHeader->pFirst;
  DLElement*& last = pHeader->pLast;
  if (!first || !last) {
    *pElement = DLElement{nullptr, nullptr, pElement->pValue};
    first = last = pElement;
  } else if (bBefore) {
    DLElement* next = pRef ? pRef : first;
    pElement->pPrev = next->pPrev;
    pElement->pNext = next;
    (next->pPrev ? next->pPrev->pNext : first) = pElement;
    next->pPrev = pElement;
  } else {
    DLElement* prev = pRef ? pRef : last;
    pElement->pNext = prev->pNext;
    pElement->pPrev = prev;
    (prev->pNext ? prev->pNext->pPrev : last) = pElement;
    prev->pNext = pElement;
  }
  ++pHeader->nCount;
}

void QEL_CDECL DLInsertFirstElement(DLHeader* pHeader, DLElement* pElement) {
  DLInsertElement(pHeader, nullptr, pElement, 1);
}

void QEL_CDECL DLInsertLastElement(DLHeader* pHeader, DLElement* pElement) {
  DLInsertElement(pHeader, nullptr, pElement, 0);
}

void QEL_CDECL DLInsertPrevElement(DLHeader* pHeader, DLElement* pRef, DLElement* pElement) {
  DLInsertElement(pHeader, pRef, pElement, 1);
}

void QEL_CDECL DLInsertNextElement(DLHeader* pHeader, DLElement* pRef, DLElement* pElement) {
  DLInsertElement(pHeader, pRef, pElement, 0);
}

void QEL_CDECL DLRemoveElement(DLHeader* pHeader, DLElement* pElement) {
  if (!pHeader || !pElement) return;
  (pElement->pPrev ? pElement->pPrev->pNext : pHeader->pFirst) = pElement->pNext;
  (pElement->pNext ? pElement->pNext->pPrev : pHeader->pLast) = pElement->pPrev;
  --pHeader->nCount;
  freeElement(pElement);
}

DLElement* QEL_CDECL DLGetFirstElement(DLHeader* pHeader) { return pHeader ? pHeader->pFirst : nullptr; }
DLElement* QEL_CDECL DLGetLastElement(DLHeader* pHeader) { return pHeader ? pHeader->pLast : nullptr; }
DLElement* QEL_CDECL DLGetPrevElement(DLElement* pElement) { return pElement ? pElement->pPrev : nullptr; }
DLElement* QEL_CDECL DLGetNextElement(DLElement* pElement) { return pElement ? pElement->pNext : nullptr; }
void* QEL_CDECL DLGetElementValue(DLElement* pElement) { return pElement ? pElement->pValue : nullptr; }

void QEL_CDECL DLListElements(DLHeader* pHeader) {
  if (!pHeader) return;
  int i = 1;
  for (DLElement* e = pHeader->pFirst; e; e = e->pNext, ++i) {
    LONG value = 0;  // a shorter value is read as far as it goes
    std::memcpy(&value, e->pValue, pHeader->nValueSize < sizeof value ? pHeader->nValueSize : sizeof value);
    TraceVA(pTraceObj, 5, QEL_W("Element:%d - %d\n"), i, int(value));
  }
}

}  // extern "C"
