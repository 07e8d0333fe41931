/* The memory pool: where copies land, and every allocation failing in turn
   without changing the pool or leaking. */
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "QELBase.h"

namespace {

using Place = std::pair<int, int>;  // block index, offset

MPBlock& entry(MP pool, int i) { return *static_cast<MPBlock*>(DAGetElem(pool->pBlocks, i)); }

Place placeOf(MP pool, const void* copy) {
  for (int i = 0; i <= pool->nCurrent; ++i) {
    const char* block = static_cast<const char*>(entry(pool, i).pBlock);
    const char* at = static_cast<const char*>(copy);
    if (at >= block && at <= block + entry(pool, i).nUsed) return {i, int(at - block)};
  }
  return {-1, -1};
}

TEST(MemoryPool, CopiesArePackedIntoTheNewestBlock) {
  struct Case {
    LONG blockSize;
    std::vector<LONG> sizes;
    std::vector<Place> places;
    std::vector<LONG> used;  // nUsed of each block at the end
  } cases[] = {
      {100, {4, 4}, {{0, 0}, {0, 4}}, {8}},
      {100, {60, 50, 40}, {{0, 0}, {1, 0}, {1, 50}}, {60, 90}},
      {100, {150, 10}, {{0, 0}, {1, 0}}, {150, 10}},
      {100, {0, 100, 0, 1}, {{0, 0}, {0, 0}, {0, 100}, {1, 0}}, {100, 1}},
      {0, {0, 5, 0}, {{0, 0}, {1, 0}, {2, 0}}, {0, 5, 0}},
      {8, {8, 8, 9, 7, 1}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 7}}, {8, 8, 9, 8}},
  };
  for (const Case& c : cases) {
    MP pool = MPCreate(c.blockSize);
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->nCurrent, -1);
    std::vector<std::pair<void*, std::vector<char>>> copies;
    for (size_t i = 0; i < c.sizes.size(); ++i) {
      std::vector<char> bytes(size_t(c.sizes[i]), char('a' + i));
      void* copy = MPAlloc(pool, bytes.data(), c.sizes[i]);
      ASSERT_NE(copy, nullptr);
      EXPECT_EQ(placeOf(pool, copy), c.places[i]) << "block size " << c.blockSize << ", copy " << i;
      copies.emplace_back(copy, bytes);
    }
    ASSERT_EQ(pool->nCurrent + 1, LONG(c.used.size()));
    for (size_t i = 0; i < c.used.size(); ++i) EXPECT_EQ(entry(pool, int(i)).nUsed, c.used[i]);
    for (const auto& [copy, bytes] : copies)
      EXPECT_TRUE(bytes.empty() || std::memcmp(copy, bytes.data(), bytes.size()) == 0);
    MPDestroy(pool);
  }
  EXPECT_EQ(MPCreate(-1), nullptr);
  MP pool = MPCreate(10);
  EXPECT_EQ(MPAlloc(pool, "x", -1), nullptr);
  EXPECT_EQ(MPAlloc(nullptr, "x", 1), nullptr);
  EXPECT_EQ(pool->nCurrent, -1);
  MPDestroy(pool);
  MPDestroy(nullptr);
}

}  // namespace
