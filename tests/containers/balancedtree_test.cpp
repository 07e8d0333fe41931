// The AVL tree: shapes after each rebalancing case, duplicates, deletion,
// walks, stable addresses, and a randomized model test against std::multiset.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "QELBase.h"
#include "support/CaseFile.h"

namespace {

struct Entry {
  int key;
  int tag;  // tells equal keys apart
};

LONG QEL_CDECL compareKeys(const void* probe, const void* elem) {
  int a = static_cast<const Entry*>(probe)->key, b = static_cast<const Entry*>(elem)->key;
  return a < b ? -1 : a > b ? 1 : 0;
}

const Entry& entryOf(const BTNode* n) { return *reinterpret_cast<const Entry*>(n + 1); }

// Height of the subtree; checks order, parent links and balances on the way.
int checkedHeight(const BTNode* n, const BTNode* parent, int& nodes) {
  if (!n) return 0;
  ++nodes;
  EXPECT_EQ(n->pParent, parent);
  if (n->pLeft) {
    EXPECT_LE(entryOf(n->pLeft).key, entryOf(n).key);
  }
  if (n->pRight) {
    EXPECT_GE(entryOf(n->pRight).key, entryOf(n).key);  // rotations may lift an equal key
  }
  int l = checkedHeight(n->pLeft, n, nodes), r = checkedHeight(n->pRight, n, nodes);
  EXPECT_EQ(n->nBalance, r - l);
  EXPECT_LE(std::abs(r - l), 1);
  return 1 + std::max(l, r);
}

void checkInvariants(BT bt) {
  int nodes = 0;
  int height = checkedHeight(bt->pRoot, nullptr, nodes);
  ASSERT_EQ(nodes, bt->nCount);
  // An AVL tree of n nodes is at most about 1.44 log2(n) high.
  ASSERT_LE(height, int(1.45 * std::log2(double(nodes) + 2)) + 1);
}

// The tree's shape as "key(left,right)", for comparing with expected shapes.
std::string shape(const BTNode* n) {
  if (!n) return "-";
  if (!n->pLeft && !n->pRight) return std::to_string(entryOf(n).key);
  return std::to_string(entryOf(n).key) + "(" + shape(n->pLeft) + "," + shape(n->pRight) + ")";
}

BT treeOf(std::initializer_list<int> keys) {
  BT bt = BTCreate(compareKeys, sizeof(Entry));
  for (int k : keys) {
    Entry e{k, 0};
    BTInsert(bt, &e);
  }
  return bt;
}

std::vector<int> inOrder(BT bt) {
  std::vector<int> keys;
  BTForEach(
      bt,
      [](void* ctx, void* e) { static_cast<std::vector<int>*>(ctx)->push_back(static_cast<Entry*>(e)->key); },
      &keys);
  return keys;
}

}  // namespace

TEST(BalancedTree, ShapesAfterEachRebalancing) {
  for (const qel::test::Case& c : qel::test::readCases("containers/tree_shapes.txt")) {
    BT bt = BTCreate(compareKeys, sizeof(Entry));
    std::stringstream keys(c[1]);
    for (Entry e{0, 0}; keys >> e.key; keys.ignore()) BTInsert(bt, &e);
    if (c[0] == "Delete") {
      Entry key{std::stoi(c[2]), 0};
      EXPECT_EQ(BTDelete(bt, &key), &key) << c.where;
    }
    EXPECT_EQ(shape(bt->pRoot), c.fields.back()) << c.where;
    checkInvariants(bt);
    BTDestroy(bt, nullptr);
  }
}

TEST(BalancedTree, DuplicatesAndSearch) {
  BT bt = BTCreate(compareKeys, sizeof(Entry));
  Entry first{5, 1}, second{5, 2}, other{7, 0};
  auto* a = static_cast<Entry*>(BTInsert(bt, &first));
  BTInsert(bt, &other);
  auto* b = static_cast<Entry*>(BTInsert(bt, &second));
  ASSERT_NE(a, b);
  EXPECT_EQ(BTCount(bt), 3);
  EXPECT_EQ(static_cast<Entry*>(BTSearch(bt, &first)), a);  // nearest the root
  EXPECT_EQ(bt->pRoot->pLeft, reinterpret_cast<BTNode*>(b) - 1);
  Entry missing{6, 0};
  EXPECT_EQ(BTSearch(bt, &missing), nullptr);
  EXPECT_EQ(BTDelete(bt, &missing), nullptr);
  EXPECT_EQ(BTCount(bt), 3);
  EXPECT_EQ(inOrder(bt), (std::vector<int>{5, 5, 7}));
  BTDestroy(bt, nullptr);
}

TEST(BalancedTree, WalksEmptyTreesAndBadArguments) {
  BT empty = BTCreate(compareKeys, sizeof(Entry));
  EXPECT_EQ(empty->nSignature, 4713);
  Entry k{1, 0};
  for (BT bt : {empty, BT(nullptr)}) {
    EXPECT_EQ(BTFirst(bt), nullptr);
    EXPECT_EQ(BTLast(bt), nullptr);
    EXPECT_EQ(BTSearch(bt, &k), nullptr);
    EXPECT_EQ(BTDelete(bt, &k), nullptr);
    EXPECT_EQ(BTCount(bt), 0);
    EXPECT_TRUE(inOrder(bt).empty());
    BTDestroy(bt, nullptr);
  }
  EXPECT_EQ(BTCreate(nullptr, 4), nullptr);
  EXPECT_EQ(BTInsert(nullptr, &k), nullptr);
  EXPECT_EQ(BTNext(nullptr), nullptr);

  BT bt = treeOf({8, 3, 10, 1, 6, 14, 4, 7, 13});
  std::vector<int> forward, backward;
  for (void* e = BTFirst(bt); e; e = BTNext(e)) forward.push_back(static_cast<Entry*>(e)->key);
  for (void* e = BTLast(bt); e; e = BTPrev(e)) backward.push_back(static_cast<Entry*>(e)->key);
  EXPECT_EQ(forward, (std::vector<int>{1, 3, 4, 6, 7, 8, 10, 13, 14}));
  EXPECT_EQ(backward, (std::vector<int>{14, 13, 10, 8, 7, 6, 4, 3, 1}));
  // Destroying frees the elements after their children: 8(3(1,6(4,7)),13(10,14)).
  static std::vector<int> freed;
  BTDestroy(bt, [](void* e) { freed.push_back(static_cast<Entry*>(e)->key); });
  EXPECT_EQ(freed, (std::vector<int>{1, 4, 7, 6, 3, 10, 14, 13, 8}));
}

TEST(BalancedTree, MatchesAMultisetModel) {
  std::mt19937 rng(4713);
  BT bt = BTCreate(compareKeys, sizeof(Entry));
  std::multiset<int> model;
  std::map<int, Entry*> unique;  // address of each key stored once, to check stability
  for (int step = 0; step < 6000; ++step) {
    Entry e{int(rng() % 400), step};
    unsigned op = rng() % 10;
    if (op < 5) {
      auto* stored = static_cast<Entry*>(BTInsert(bt, &e));
      ASSERT_NE(stored, nullptr);
      ASSERT_EQ(stored->tag, step);
      model.insert(e.key);
      if (model.count(e.key) == 1)
        unique[e.key] = stored;
      else
        unique.erase(e.key);
    } else if (op < 8) {
      bool present = model.count(e.key) > 0;
      ASSERT_EQ(BTDelete(bt, &e) == &e, present);
      if (present) model.erase(model.find(e.key));
      unique.erase(e.key);
    } else {
      auto* found = static_cast<Entry*>(BTSearch(bt, &e));
      ASSERT_EQ(found != nullptr, model.count(e.key) > 0);
      if (found) {
        ASSERT_EQ(found->key, e.key);
      }
    }
    checkInvariants(bt);
    if (HasFatalFailure()) return;
    for (auto& [key, addr] : unique) {
      Entry probe{key, 0};
      ASSERT_EQ(BTSearch(bt, &probe), addr) << "element moved";
    }
  }
  EXPECT_EQ(inOrder(bt), std::vector<int>(model.begin(), model.end()));
  BTDestroy(bt, nullptr);
}
