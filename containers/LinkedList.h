/** @file
 * LL: a singly linked list of fixed-size elements stored by value.  The
   functions take and return pointers to the elements' bytes. */
#ifndef QELBASE_LINKEDLIST_H
#define QELBASE_LINKEDLIST_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** dwMagic of a live list, and of a destroyed one. */
/** @{ */
#define LL_MAGIC 2412
#define LL_MAGIC_DESTROYED (-2413)

/** @} */
/** One heap block: the link, then the element's nElemSize bytes. */
typedef struct LLNode {
  struct LLNode* pNext; /**< null at the end */
} LLNode;

/** The list. */
typedef struct LLList {
  LONG dwMagic;    /**< LL_MAGIC while the list lives */
  DWORD nElemSize; /**< bytes copied per element */
  DWORD nCount;    /**< elements in the list */
  LLNode* pFirst;  /**< null when empty */
  LLNode* pLast;   /**< null when empty */
} LLList;

/** Nonzero stops the walk at this element. */
typedef LONG(QEL_CDECL* LLApplyFn)(void* pElem);
/** As LLApplyFn, with LLApplyPar's nParam. */
typedef LONG(QEL_CDECL* LLApplyParFn)(LONG nParam, void* pElem);

/** An empty list of elements of nElemSize bytes; null when memory is short.
   Free it with LLDestroy. */
LLList* QEL_CDECL LLCreate(DWORD nElemSize);
/** Frees every element and the list. */
void QEL_CDECL LLDestroy(LLList* pList);
/** The stored copy, or null (the list unchanged) when memory is short. */
/** @{ */
void* QEL_CDECL LLPushFront(LLList* pList, const void* pElem);
void* QEL_CDECL LLPushBack(LLList* pList, const void* pElem);
/** @} */
/** The number of elements. */
DWORD QEL_CDECL LLCount(LLList* pList);
/** The first and the last element; null when the list is empty. */
/** @{ */
void* QEL_CDECL LLFirst(LLList* pList);
void* QEL_CDECL LLLast(LLList* pList);
/** @} */
/** The element after pElem (an address the list gave); null at the end. */
void* QEL_CDECL LLNext(void* pElem);
/** The first element for which the callback answers nonzero, else null. */
/** @{ */
void* QEL_CDECL LLApply(LLList* pList, LLApplyFn pfnApply);
void* QEL_CDECL LLApplyPar(LLList* pList, LLApplyParFn pfnApply, LONG nParam);
/** @} */
/** Non-null (the element's former address, not to be used) when the element
   was in the list and is removed; null otherwise. */
void* QEL_CDECL LLRemove(LLList* pList, void* pElem);

/** Euclid's greatest common divisor; GCD(a, 0) is a, GCD(0, 0) is 0. */
DWORD QEL_CDECL GCD(DWORD a, DWORD b);

QEL_END_DECLS

#endif
