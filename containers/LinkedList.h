/* LL: a singly linked list of fixed-size elements stored by value.  The
   functions take and return pointers to the elements' bytes. */
#ifndef QELBASE_LINKEDLIST_H
#define QELBASE_LINKEDLIST_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

#define LL_MAGIC 2412
#define LL_MAGIC_DESTROYED (-2413)

/* One heap block: the link, then the element's nElemSize bytes. */
typedef struct LLNode {
  struct LLNode* pNext;
} LLNode;

typedef struct LLList {
  LONG dwMagic;
  DWORD nElemSize;
  DWORD nCount;
  LLNode* pFirst;
  LLNode* pLast;
} LLList;

/* Nonzero stops the walk at this element. */
typedef LONG(QEL_CDECL* LLApplyFn)(void* pElem);
typedef LONG(QEL_CDECL* LLApplyParFn)(LONG nParam, void* pElem);

LLList* QEL_CDECL LLCreate(DWORD nElemSize);
void QEL_CDECL LLDestroy(LLList* pList);
/* The stored copy, or null (the list unchanged) when memory is short. */
void* QEL_CDECL LLPushFront(LLList* pList, const void* pElem);
void* QEL_CDECL LLPushBack(LLList* pList, const void* pElem);
DWORD QEL_CDECL LLCount(LLList* pList);
void* QEL_CDECL LLFirst(LLList* pList);
void* QEL_CDECL LLLast(LLList* pList);
void* QEL_CDECL LLNext(void* pElem);
/* The first element for which the callback answers nonzero, else null. */
void* QEL_CDECL LLApply(LLList* pList, LLApplyFn pfnApply);
void* QEL_CDECL LLApplyPar(LLList* pList, LLApplyParFn pfnApply, LONG nParam);
/* Non-null (the element's former address, not to be used) when the element
   was in the list and is removed; null otherwise. */
void* QEL_CDECL LLRemove(LLList* pList, void* pElem);

/* Euclid's greatest common divisor; GCD(a, 0) is a, GCD(0, 0) is 0. */
DWORD QEL_CDECL GCD(DWORD a, DWORD b);

QEL_END_DECLS

#endif
