/* The containers under lack of memory: a failed growth leaves the array
   (its block, capacity and count), the tree, the pool (its current block
   and what is used of it) and the lists as they were. */
#include <cstring>

#include "QELBase.h"
#include "Sweep.h"

namespace {

using qel::test::sweepAllocations;

LONG QEL_CDECL compareKeys(const void* probe, const void* element) {
  return *static_cast<const LONG*>(probe) - *static_cast<const LONG*>(element);
}

TEST(AllocationSweep, DynamicArray) {
  sweepAllocations([] {
    DA da = DACreate(sizeof(LONG), 2);
    if (!da) return;
    LONG model[40];
    LONG count = 0;
    for (LONG i = 0; i < 40; ++i) {
      const bool front = i % 3 == 0;
      const void* data = da->pData;
      const LONG alloc = da->nAlloc;
      if (!(front ? DAInsertElem(da, 0, &i) : i % 3 == 1 ? DAAddElem(da, &i) : DASetElem(da, count, &i))) {
        EXPECT_EQ(da->pData, data);
        EXPECT_EQ(da->nAlloc, alloc);
        break;
      }
      if (front) std::memmove(model + 1, model, sizeof(LONG) * size_t(count));
      model[front ? 0 : count] = i;
      ++count;
    }
    ASSERT_EQ(DAGetSize(da), count);
    for (LONG i = 0; i < count; ++i) EXPECT_EQ(*static_cast<LONG*>(DAGetElem(da, i)), model[i]) << i;
    DADestroy(da);
  });
}

TEST(AllocationSweep, BalancedTree) {
  sweepAllocations([] {
    BT bt = BTCreate(compareKeys, sizeof(LONG));
    if (!bt) return;
    LONG inserted = 0;
    for (LONG i = 0; i < 50; ++i) {
      const LONG key = (i * 37) % 50;
      if (!BTInsert(bt, &key)) break;
      ++inserted;
    }
    ASSERT_EQ(BTCount(bt), inserted);
    for (LONG i = 0; i < inserted; ++i) {
      const LONG key = (i * 37) % 50;
      EXPECT_NE(BTSearch(bt, &key), nullptr) << key;
    }
    LONG previous = -1, seen = 0;  // still in order
    for (void* e = BTFirst(bt); e; e = BTNext(e), ++seen) {
      EXPECT_GT(*static_cast<LONG*>(e), previous);
      previous = *static_cast<LONG*>(e);
    }
    EXPECT_EQ(seen, inserted);
    BTDestroy(bt, nullptr);
  });
}

TEST(AllocationSweep, MemoryPool) {
  sweepAllocations([] {
    MP pool = MPCreate(32);  // more blocks than the list of blocks first holds
    if (!pool) return;
    char* copies[30];
    LONG made = 0;
    for (; made < 30; ++made) {
      char text[48];
      std::memset(text, 'a' + made % 26, sizeof text);
      const LONG current = pool->nCurrent;
      const LONG used = current < 0 ? 0 : static_cast<MPBlock*>(DAGetElem(pool->pBlocks, current))->nUsed;
      if (!(copies[made] = static_cast<char*>(MPAlloc(pool, text, 1 + made % 48)))) {
        EXPECT_EQ(pool->nCurrent, current);
        EXPECT_EQ(DAGetSize(pool->pBlocks), current + 1);
        if (current >= 0) {
          EXPECT_EQ(static_cast<MPBlock*>(DAGetElem(pool->pBlocks, current))->nUsed, used);
        }
        break;
      }
    }
    for (LONG i = 0; i < made; ++i)
      for (LONG j = 0; j < 1 + i % 48; ++j) ASSERT_EQ(copies[i][j], 'a' + i % 26) << i;
    MPDestroy(pool);
  });
}

TEST(AllocationSweep, LinkedLists) {
  sweepAllocations([] {
    LLList* list = LLCreate(sizeof(LONG));
    DLHeader* chain = DLCreateHeader(sizeof(LONG));
    LONG pushed = 0, linked = 0;
    for (LONG i = 0; list && i < 20 && (i % 2 ? LLPushBack(list, &i) : LLPushFront(list, &i)); ++i) ++pushed;
    for (LONG i = 0; chain && i < 20; ++i) {
      DLElement* e = DLCreateElement(chain, &i);
      if (!e) break;
      DLInsertLastElement(chain, e);
      ++linked;
    }
    if (list) {
      EXPECT_EQ(LLCount(list), DWORD(pushed));
    }
    if (chain) {
      EXPECT_EQ(chain->nCount, DWORD(linked));
    }
    LLDestroy(list);
    DLRemoveHeader(chain);
  });
}

}  // namespace
