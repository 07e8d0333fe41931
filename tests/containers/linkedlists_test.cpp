/* The two linked lists against std::list under random operations, their
   edge cases, and GCD. */
#include <gtest/gtest.h>

#include <iterator>
#include <list>
#include <random>
#include <vector>

#include "QELBase.h"

namespace {

int valueOf(DLElement* e) { return *static_cast<int*>(DLGetElementValue(e)); }

// Both directions of the list hold the model's values; the count agrees.
void expectSame(DLHeader* h, const std::list<int>& model) {
  std::vector<int> forward, backward;
  for (DLElement* e = DLGetFirstElement(h); e; e = DLGetNextElement(e)) forward.push_back(valueOf(e));
  for (DLElement* e = DLGetLastElement(h); e; e = DLGetPrevElement(e)) backward.push_back(valueOf(e));
  ASSERT_EQ(forward, std::vector<int>(model.begin(), model.end()));
  ASSERT_EQ(backward, std::vector<int>(model.rbegin(), model.rend()));
  ASSERT_EQ(h->nCount, model.size());
  if (model.empty()) {
    EXPECT_EQ(h->pFirst, nullptr);
    EXPECT_EQ(h->pLast, nullptr);
  } else {
    EXPECT_EQ(h->pFirst->pPrev, nullptr);
    EXPECT_EQ(h->pLast->pNext, nullptr);
  }
}

DLElement* nth(DLHeader* h, size_t n) {
  DLElement* e = DLGetFirstElement(h);
  while (n--) e = DLGetNextElement(e);
  return e;
}

TEST(DoublyLinkedList, FollowsAModelListUnderRandomOperations) {
  std::mt19937 random(1402);
  // Into an empty list the reference (here an element of another list) and
  // the flag do not matter.
  DLHeader* other = DLCreateHeader(sizeof(int));
  const int nine = 9;
  DLElement* elsewhere = DLCreateElement(other, &nine);
  DLInsertFirstElement(other, elsewhere);
  for (int round = 0; round < 20; ++round) {
    DLHeader* h = DLCreateHeader(sizeof(int));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->dwMagic, 1402u);
    std::list<int> model;
    for (int step = 0, value = 0; step < 400; ++step, ++value) {
      const int op = int(random() % 6);
      const size_t at = model.empty() ? 0 : random() % model.size();
      DLElement* ref = model.empty() ? elsewhere : nth(h, at);
      if (op == 5 && !model.empty()) {
        DLRemoveElement(h, ref);
        model.erase(std::next(model.begin(), long(at)));
      } else {
        DLElement* e = DLCreateElement(h, &value);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->pPrev, nullptr);
        EXPECT_EQ(e->pNext, nullptr);
        switch (op) {
          case 0: DLInsertFirstElement(h, e), model.push_front(value); break;
          case 1: DLInsertLastElement(h, e), model.push_back(value); break;
          case 2:
            DLInsertPrevElement(h, ref, e), model.insert(std::next(model.begin(), long(at)), value);
            break;
          case 3:
            DLInsertNextElement(h, ref, e);
            model.insert(model.empty() ? model.end() : std::next(model.begin(), long(at) + 1), value);
            break;
          default: {
            const LONG before = LONG(random() % 2);
            DLInsertElement(h, ref, e, before);
            model.insert(model.empty() ? model.end() : std::next(model.begin(), long(at) + !before), value);
          }
        }
      }
      expectSame(h, model);
      if (HasFatalFailure()) break;
    }
    DLRemoveHeader(h);  // with its elements: the leak checker sees the rest
    if (HasFatalFailure()) break;
  }
  DLRemoveHeader(other);
}

std::vector<int> contents(LLList* list) {
  std::vector<int> out;
  for (void* e = LLFirst(list); e; e = LLNext(e)) out.push_back(*static_cast<int*>(e));
  return out;
}

TEST(LinkedList, FollowsAModelListUnderRandomOperations) {
  std::mt19937 random(2412);
  LLList* list = LLCreate(sizeof(int));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->dwMagic, 2412);
  std::list<int> model;
  int foreign = 0;
  for (int step = 0, value = 0; step < 3000; ++step, ++value) {
    switch (random() % 5) {
      case 0:
        EXPECT_EQ(*static_cast<int*>(LLPushFront(list, &value)), value);
        model.push_front(value);
        break;
      case 1:
        EXPECT_EQ(*static_cast<int*>(LLPushBack(list, &value)), value);
        model.push_back(value);
        break;
      case 2: EXPECT_EQ(LLRemove(list, &foreign), nullptr); break;
      default:
        if (model.empty()) {
          EXPECT_EQ(LLRemove(list, LLFirst(list)), nullptr);
          break;
        }
        const size_t at = random() % model.size();
        void* e = LLFirst(list);
        for (size_t i = 0; i < at; ++i) e = LLNext(e);
        EXPECT_EQ(LLRemove(list, e), e);
        model.erase(std::next(model.begin(), long(at)));
    }
    ASSERT_EQ(contents(list), std::vector<int>(model.begin(), model.end())) << "step " << step;
    ASSERT_EQ(LLCount(list), model.size());
    if (model.empty()) {
      EXPECT_EQ(list->pFirst, nullptr);
      EXPECT_EQ(list->pLast, nullptr);
    } else {
      EXPECT_EQ(*static_cast<int*>(LLLast(list)), model.back());
      EXPECT_EQ(list->pLast->pNext, nullptr);
    }
  }
  LLDestroy(list);
}

std::vector<int> visited;
LONG QEL_CDECL never(void* e) { return visited.push_back(*static_cast<int*>(e)), 0; }
LONG QEL_CDECL equalsParameter(LONG parameter, void* e) {
  visited.push_back(*static_cast<int*>(e));
  return *static_cast<int*>(e) == parameter;
}

TEST(LinkedList, ApplyAndRemove) {
  LLList* list = LLCreate(sizeof(int));
  EXPECT_EQ(LLApply(list, never), nullptr);
  for (int v : {10, 20, 30}) LLPushBack(list, &v);
  visited.clear();
  EXPECT_EQ(LLApply(list, never), nullptr);
  EXPECT_EQ(visited, (std::vector<int>{10, 20, 30}));
  visited.clear();
  void* found = LLApplyPar(list, equalsParameter, 20);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*static_cast<int*>(found), 20);
  EXPECT_EQ(visited, (std::vector<int>{10, 20}));
  EXPECT_EQ(LLApplyPar(list, equalsParameter, 99), nullptr);

  EXPECT_EQ(LLRemove(list, nullptr), nullptr);
  EXPECT_EQ(LLNext(nullptr), nullptr);
  LLDestroy(list);
}

TEST(Gcd, EuclidOnUnsignedNumbers) {
  struct Case {
    DWORD a, b, gcd;
  } cases[] = {
      // clang-format off
      {12, 18, 6}, {18, 12, 6}, {7, 7, 7}, {1, 123456789, 1}, {123456789, 1, 1}, {17, 5, 1}, {0, 5, 5},
      {5, 0, 5}, {0, 0, 0}, {0xFFFFFFFF, 3, 3}, {DWORD(-4), 10, 2}, {DWORD(-6), DWORD(-4), 2},
      {1u << 31, 1u << 20, 1u << 20}, {4294967291u, 4294967279u, 1},  // two primes
      // clang-format on
  };
  for (const Case& c : cases) EXPECT_EQ(GCD(c.a, c.b), c.gcd) << c.a << ", " << c.b;
}

}  // namespace
