/* BT: a height-balanced (AVL) tree of fixed-size elements stored by value. */
#ifndef QELBASE_BALANCEDTREE_H
#define QELBASE_BALANCEDTREE_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/* Negative if the probe sorts before the stored element, 0 if equal,
   positive if after. */
typedef LONG(QEL_CDECL* BTCompareFn)(const void* pProbe, const void* pElem);
typedef void(QEL_CDECL* BTFreeFn)(void* pElem);
typedef void(QEL_CDECL* BTVisitFn)(void* pContext, void* pElem);

/* One heap block per element: these fields, then the element's bytes. */
typedef struct BTNode {
  LONG nBalance; /* height(right) - height(left): -1, 0 or +1 */
  struct BTNode* pLeft;
  struct BTNode* pRight;
  struct BTNode* pParent;
} BTNode;

#define BT_SIGNATURE 4713
#define BT_SIGNATURE_DESTROYED (-4714)

typedef struct BTRecord {
  LONG nSignature;
  LONG nElemSize;
  LONG nCount;
  BTNode* pRoot;
  BTCompareFn pfnCompare;
} BTRecord, *BT;

BT QEL_CDECL BTCreate(BTCompareFn pfnCompare, LONG nElemSize);
/* Calls pfnFree (if given) for every element, then frees nodes and record. */
void QEL_CDECL BTDestroy(BT bt, BTFreeFn pfnFree);

/* Element addresses stay valid until that element is deleted. */
void* QEL_CDECL BTInsert(BT bt, const void* pElem);
void* QEL_CDECL BTSearch(BT bt, const void* pKey);
/* Returns pKey itself when an element was removed, else null. */
void* QEL_CDECL BTDelete(BT bt, const void* pKey);

void* QEL_CDECL BTFirst(BT bt);
void* QEL_CDECL BTLast(BT bt);
void* QEL_CDECL BTNext(void* pElem);
void* QEL_CDECL BTPrev(void* pElem);
void QEL_CDECL BTForEach(BT bt, BTVisitFn pfnVisit, void* pContext);
LONG QEL_CDECL BTCount(BT bt);

/* The tree's shape, one level-5 record per node in pre-order, through the
   default trace object under facility 18.  Addresses are printed with
   eight hex digits: the low 32 bits on 64-bit systems. */
void QEL_CDECL BTTrace(BT bt);

QEL_END_DECLS

#endif
