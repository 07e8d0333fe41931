/*
 * The AVL tree.  Insertion descends and then retraces the parent links
 * while the subtree grew; deletion recurses from the root carrying a
 * shrank flag upwards.  Rotations relink nodes and never move element
 * bytes, so element addresses stay stable.  Left and right cases share one
 * code path: `side` is +1 for right and -1 for left, and a balance of +1
 * means the right side is higher.
 */
#include "containers/BalancedTree.h"

#include <cstring>

#include "frame/Heap.h"

namespace {

void* elementOf(BTNode* node) { return reinterpret_cast<char*>(node) + sizeof(BTNode); }
BTNode* nodeOf(void* elem) { return reinterpret_cast<BTNode*>(static_cast<char*>(elem) - sizeof(BTNode)); }

BTNode*& child(BTNode* node, int side) { return side > 0 ? node->pRight : node->pLeft; }

// Brings the child on `side` up into `top`'s place; `top` is the link that
// holds the subtree (a parent's child link or the root).
void rotateUp(BTNode*& top, int side) {
  BTNode* n = top;
  BTNode* c = child(n, side);
  BTNode* inner = child(c, -side);
  child(n, side) = inner;
  if (inner) inner->pParent = n;
  child(c, -side) = n;
  c->pParent = n->pParent;
  n->pParent = c;
  top = c;
}

// Rotates twice through the grandchild G on the inner side of the child C on
// `side`; G ends on top.  The balances follow from G's old balance.
void rotateTwiceUp(BTNode*& top, int side) {
  BTNode* n = top;
  BTNode* c = child(n, side);
  BTNode* g = child(c, -side);
  rotateUp(child(n, side), -side);
  rotateUp(top, side);
  n->nBalance = g->nBalance == side ? -side : 0;
  c->nBalance = g->nBalance == -side ? side : 0;
  g->nBalance = 0;
}

// The subtree at `top` grew on `side`; returns whether it is still higher.
bool rebalanceGrown(BTNode*& top, int side) {
  BTNode* n = top;
  if (n->nBalance == -side) {
    n->nBalance = 0;
    return false;
  }
  if (n->nBalance == 0) {
    n->nBalance = side;
    return true;
  }
  BTNode* c = child(n, side);
  if (c->nBalance == side) {
    rotateUp(top, side);
    n->nBalance = 0;
    c->nBalance = 0;
  } else {
    rotateTwiceUp(top, side);
  }
  return false;
}

// The subtree at `top` shrank on `side`; returns whether it is now lower.
bool rebalanceShrunk(BTNode*& top, int side) {
  BTNode* n = top;
  if (n->nBalance == side) {
    n->nBalance = 0;
    return true;
  }
  if (n->nBalance == 0) {
    n->nBalance = -side;
    return false;
  }
  int heavy = -side;
  BTNode* c = child(n, heavy);
  if (c->nBalance == side) {
    rotateTwiceUp(top, heavy);
    return true;
  }
  rotateUp(top, heavy);
  if (c->nBalance == 0) {
    n->nBalance = heavy;
    c->nBalance = side;
    return false;
  }
  n->nBalance = 0;
  c->nBalance = 0;
  return true;
}

// The link that holds `n`: its parent's child link, or the root.
BTNode*& linkTo(BT tree, BTNode* n) {
  BTNode* p = n->pParent;
  return !p ? tree->pRoot : p->pLeft == n ? p->pLeft : p->pRight;
}

void* insertElement(BT tree, const void* elem) {
  // Descend to the empty position; equal elements go left, after the ones
  // already stored.
  BTNode* parent = nullptr;
  BTNode** link = &tree->pRoot;
  while (*link) {
    parent = *link;
    link = tree->pfnCompare(elem, elementOf(parent)) > 0 ? &parent->pRight : &parent->pLeft;
  }
  auto* fresh = static_cast<BTNode*>(qel::heapAlloc(sizeof(BTNode) + size_t(tree->nElemSize)));
  if (!fresh) return nullptr;
  *fresh = BTNode{0, nullptr, nullptr, parent};
  std::memmove(elementOf(fresh), elem, size_t(tree->nElemSize));
  *link = fresh;
  ++tree->nCount;
  // Back up the parent links while the subtree below has grown; this is
  // the unwinding of a recursive descent, without its stack.
  for (BTNode* grown = fresh; parent; grown = parent, parent = parent->pParent) {
    int side = parent->pRight == grown ? 1 : -1;
    if (!rebalanceGrown(linkTo(tree, parent), side)) break;
  }
  return elementOf(fresh);
}

struct Deleter {
  BT tree;
  const void* key;
  bool shrank = false;

  // Unlinks the rightmost node of the subtree at `link`, rebalancing the
  // levels it passes on the way back.
  BTNode* detachGreatest(BTNode*& link) {
    BTNode* n = link;
    if (n->pRight) {
      BTNode* greatest = detachGreatest(n->pRight);
      if (shrank) shrank = rebalanceShrunk(link, 1);
      return greatest;
    }
    link = n->pLeft;
    if (link) link->pParent = n->pParent;
    shrank = true;
    return n;
  }

  bool from(BTNode*& link) {
    BTNode* n = link;
    if (!n) return false;
    LONG order = tree->pfnCompare(key, elementOf(n));
    if (order != 0) {
      int side = order > 0 ? 1 : -1;
      if (!from(child(n, side))) return false;
      if (shrank) shrank = rebalanceShrunk(link, side);
      return true;
    }
    if (!n->pRight || !n->pLeft) {
      link = n->pRight ? n->pRight : n->pLeft;
      if (link) link->pParent = n->pParent;
      shrank = true;
    } else {
      BTNode* g = detachGreatest(n->pLeft);
      *g = BTNode{n->nBalance, n->pLeft, n->pRight, n->pParent};
      if (g->pLeft) g->pLeft->pParent = g;
      g->pRight->pParent = g;
      link = g;
      if (shrank) shrank = rebalanceShrunk(link, -1);
    }
    --tree->nCount;
    qel::heapFree(n);
    return true;
  }
};

BTNode* extreme(BTNode* n, int side) {
  while (n && child(n, side)) n = child(n, side);
  return n;
}

// The in-order neighbour on `side` (+1 successor, -1 predecessor).
void* neighbour(void* elem, int side) {
  if (!elem) return nullptr;
  BTNode* n = nodeOf(elem);
  if (child(n, side)) return elementOf(extreme(child(n, side), -side));
  while (n->pParent && child(n->pParent, side) == n) n = n->pParent;
  return n->pParent ? elementOf(n->pParent) : nullptr;
}

// The smallest (side -1) or greatest (+1) element, or null for an empty tree.
void* endElement(BT bt, int side) {
  BTNode* n = bt ? extreme(bt->pRoot, side) : nullptr;
  return n ? elementOf(n) : nullptr;
}

void destroyNodes(BTNode* n, BTFreeFn pfnFree) {
  if (!n) return;
  destroyNodes(n->pLeft, pfnFree);
  destroyNodes(n->pRight, pfnFree);
  if (pfnFree) pfnFree(elementOf(n));
  qel::heapFree(n);
}

}  // namespace

extern "C" {

BT QEL_CDECL BTCreate(BTCompareFn pfnCompare, LONG nElemSize) {
  if (!pfnCompare || nElemSize < 0) return nullptr;
  auto* bt = static_cast<BT>(qel::heapAlloc(sizeof(BTRecord)));
  if (!bt) return nullptr;
  *bt = BTRecord{BT_SIGNATURE, nElemSize, 0, nullptr, pfnCompare};
  return bt;
}

void QEL_CDECL BTDestroy(BT bt, BTFreeFn pfnFree) {
  if (!bt) return;
  bt->nSignature = BT_SIGNATURE_DESTROYED;
  destroyNodes(bt->pRoot, pfnFree);
  qel::heapFree(bt);
}

void* QEL_CDECL BTInsert(BT bt, const void* pElem) {
  if (!bt || !pElem) return nullptr;
  return insertElement(bt, pElem);
}

void* QEL_CDECL BTSearch(BT bt, const void* pKey) {
  if (!bt) return nullptr;
  BTNode* n = bt->pRoot;
  while (n) {
    LONG order = bt->pfnCompare(pKey, elementOf(n));
    if (order == 0) return elementOf(n);
    n = order < 0 ? n->pLeft : n->pRight;
  }
  return nullptr;
}

void* QEL_CDECL BTDelete(BT bt, const void* pKey) {
  if (!bt) return nullptr;
  Deleter remove{bt, pKey};
  return remove.from(bt->pRoot) ? const_cast<void*>(pKey) : nullptr;
}

void* QEL_CDECL BTFirst(BT bt) { return endElement(bt, -1); }

void* QEL_CDECL BTLast(BT bt) { return endElement(bt, 1); }

void* QEL_CDECL BTNext(void* pElem) { return neighbour(pElem, 1); }
void* QEL_CDECL BTPrev(void* pElem) { return neighbour(pElem, -1); }

void QEL_CDECL BTForEach(BT bt, BTVisitFn pfnVisit, void* pContext) {
  if (!pfnVisit) return;
  for (void* e = BTFirst(bt); e; e = BTNext(e)) pfnVisit(pContext, e);
}

LONG QEL_CDECL BTCount(BT bt) { return bt ? bt->nCount : 0; }
}
