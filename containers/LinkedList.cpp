/* The simple linked list: nodes are a link followed by the element. */
#include "containers/LinkedList.h"

#include <cstring>

#include "frame/Heap.h"

namespace {

void* elementOf(LLNode* node) { return node ? node + 1 : nullptr; }
LLNode* nodeOf(void* elem) { return static_cast<LLNode*>(elem) - 1; }

LLNode* newNode(const LLList* list, const void* elem, LLNode* next) {
  auto* node = static_cast<LLNode*>(qel::heapAlloc(sizeof(LLNode) + (list->nElemSize ? list->nElemSize : 1)));
  if (!node) return nullptr;
  node->pNext = next;
  if (elem && list->nElemSize) std::memcpy(node + 1, elem, list->nElemSize);
  return node;
}

template <class Answer>
void* firstWhere(LLList* list, Answer answer) {
  if (!list) return nullptr;
  for (LLNode* n = list->pFirst; n; n = n->pNext)
    if (answer(elementOf(n))) return elementOf(n);
  return nullptr;
}

}  // namespace

extern "C" {

LLList* QEL_CDECL LLCreate(DWORD nElemSize) {
  auto* list = static_cast<LLList*>(qel::heapAlloc(sizeof(LLList)));
  if (list) *list = LLList{LL_MAGIC, nElemSize, 0, nullptr, nullptr};
  return list;
}

void QEL_CDECL LLDestroy(LLList* pList) {
  if (!pList) return;
  for (LLNode* n = pList->pFirst; n;) {
    LLNode* next = n->pNext;
    qel::heapFree(n);
    n = next;
  }
  pList->dwMagic = LL_MAGIC_DESTROYED;
  qel::heapFree(pList);
}

void* QEL_CDECL LLPushFront(LLList* pList, const void* pElem) {
  if (!pList) return nullptr;
  LLNode* node = newNode(pList, pElem, pList->pFirst);
  if (!node) return nullptr;
  pList->pFirst = node;
  if (!pList->pLast) pList->pLast = node;
  ++pList->nCount;
  return elementOf(node);
}

void* QEL_CDECL LLPushBack(LLList* pList, const void* pElem) {
  if (!pList || !pList->pLast) return LLPushFront(pList, pElem);
  LLNode* node = newNode(pList, pElem, nullptr);
  if (!node) return nullptr;
  pList->pLast->pNext = node;
  pList->pLast = node;
  ++pList->nCount;
  return elementOf(node);
}

DWORD QEL_CDECL LLCount(LLList* pList) { return pList ? pList->nCount : 0; }
void* QEL_CDECL LLFirst(LLList* pList) { return pList ? elementOf(pList->pFirst) : nullptr; }
void* QEL_CDECL LLLast(LLList* pList) { return pList ? elementOf(pList->pLast) : nullptr; }
void* QEL_CDECL LLNext(void* pElem) { return pElem ? elementOf(nodeOf(pElem)->pNext) : nullptr; }

void* QEL_CDECL LLApply(LLList* pList, LLApplyFn pfnApply) {
  if (!pfnApply) return nullptr;
  return firstWhere(pList, [&](void* e) { return pfnApply(e) != 0; });
}

void* QEL_CDECL LLApplyPar(LLList* pList, LLApplyParFn pfnApply, LONG nParam) {
  if (!pfnApply) return nullptr;
  return firstWhere(pList, [&](void* e) { return pfnApply(nParam, e) != 0; });
}

void* QEL_CDECL LLRemove(LLList* pList, void* pElem) {
  if (!pList || !pElem) return nullptr;
  LLNode* before = nullptr;
  LLNode* n = pList->pFirst;
  // Compared as addresses only: a pointer from elsewhere is never followed.
  while (n && elementOf(n) != pElem) before = n, n = n->pNext;
  if (!n) return nullptr;
  --pList->nCount;
  if (n == pList->pFirst) pList->pFirst = n->pNext;
  if (n == pList->pLast) pList->pLast = before;
  if (before) before->pNext = n->pNext;
  qel::heapFree(n);
  return pElem;
}

}  // extern "C"
