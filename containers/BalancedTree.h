/** @file
 * BT: a height-balanced (AVL) tree of fixed-size elements stored by value. */
#ifndef QELBASE_BALANCEDTREE_H
#define QELBASE_BALANCEDTREE_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** Negative if the probe sorts before the stored element, 0 if equal,
   positive if after. */
typedef LONG(QEL_CDECL* BTCompareFn)(const void* pProbe, const void* pElem);
/** Frees what an element owns (called by BTDestroy; the node itself is the tree's). */
typedef void(QEL_CDECL* BTFreeFn)(void* pElem);
/** Visits one element; pContext is BTForEach's argument. */
typedef void(QEL_CDECL* BTVisitFn)(void* pContext, void* pElem);

/** One heap block per element: these fields, then the element's bytes. */
typedef struct BTNode {
  LONG nBalance;          /**< height(right) - height(left): -1, 0 or +1 */
  struct BTNode* pLeft;   /**< the subtree of smaller elements */
  struct BTNode* pRight;  /**< the subtree of larger elements */
  struct BTNode* pParent; /**< null at the root */
} BTNode;

/** nSignature of a live tree, and of a destroyed one (a check against use after BTDestroy). */
/** @{ */
#define BT_SIGNATURE 4713
#define BT_SIGNATURE_DESTROYED (-4714)

/** @} */

/** The tree: the caller holds a BT, a pointer to this record. */
typedef struct BTRecord {
  LONG nSignature;        /**< BT_SIGNATURE while the tree lives */
  LONG nElemSize;         /**< bytes copied per element */
  LONG nCount;            /**< elements in the tree */
  BTNode* pRoot;          /**< null when empty */
  BTCompareFn pfnCompare; /**< the order of the elements */
} BTRecord, *BT;

/** An empty tree of elements of nElemSize bytes ordered by pfnCompare; null
   when memory is short or nElemSize is below 1.  Free it with BTDestroy. */
BT QEL_CDECL BTCreate(BTCompareFn pfnCompare, LONG nElemSize);
/** Calls pfnFree (if given) for every element, then frees nodes and record. */
void QEL_CDECL BTDestroy(BT bt, BTFreeFn pfnFree);

/** Copies the element into the tree (equal elements are all kept); returns
   the stored copy, or null when memory is short.  Element addresses stay
   valid until that element is deleted. */
void* QEL_CDECL BTInsert(BT bt, const void* pElem);
/** The stored element equal to pKey by the tree's order, else null. */
void* QEL_CDECL BTSearch(BT bt, const void* pKey);
/** Returns pKey itself when an element was removed, else null. */
void* QEL_CDECL BTDelete(BT bt, const void* pKey);

/** The smallest and the largest element; null when the tree is empty. */
/** @{ */
void* QEL_CDECL BTFirst(BT bt);
void* QEL_CDECL BTLast(BT bt);
/** @} */
/** The element after and before pElem in order (pElem an address the tree
   gave); null past either end. */
/** @{ */
void* QEL_CDECL BTNext(void* pElem);
void* QEL_CDECL BTPrev(void* pElem);
/** @} */
/** Calls pfnVisit for every element in order; the visit must not insert
   or delete. */
void QEL_CDECL BTForEach(BT bt, BTVisitFn pfnVisit, void* pContext);
/** The number of elements. */
LONG QEL_CDECL BTCount(BT bt);

/** The tree's shape, one level-5 record per node in pre-order, through the
   default trace object under facility 18.  Addresses are printed with
   eight hex digits: the low 32 bits on 64-bit systems. */
void QEL_CDECL BTTrace(BT bt);

QEL_END_DECLS

#endif
