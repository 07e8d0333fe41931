/* The memory pool: where copies land, block by block, and its refusals
   (its memory failures are the allocation sweep's). */
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "QELBase.h"
#include "support/CaseFile.h"

namespace {

MPBlock& entry(MP pool, int i) { return *static_cast<MPBlock*>(DAGetElem(pool->pBlocks, i)); }

// Where a copy lies, as block:offset.
std::string placeOf(MP pool, const void* copy) {
  for (int i = 0; i <= pool->nCurrent; ++i) {
    const char* block = static_cast<const char*>(entry(pool, i).pBlock);
    const char* at = static_cast<const char*>(copy);
    if (at >= block && at <= block + entry(pool, i).nUsed)
      return std::to_string(i) + ":" + std::to_string(at - block);
  }
  return "?";
}

TEST(MemoryPool, CopiesArePackedIntoTheNewestBlock) {
  for (const qel::test::Case& c : qel::test::readCases("containers/pool_copies.txt")) {
    MP pool = MPCreate(std::stol(c[0]));
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->nCurrent, -1);
    std::vector<std::pair<void*, std::vector<char>>> copies;
    std::string places, used;
    std::istringstream sizes(c[1]);
    for (long size; sizes >> size;) {
      std::vector<char> bytes(size_t(size), char('a' + copies.size()));
      void* copy = MPAlloc(pool, bytes.data(), size);
      ASSERT_NE(copy, nullptr);
      places += (places.empty() ? "" : " ") + placeOf(pool, copy);
      copies.emplace_back(copy, bytes);
    }
    for (int i = 0; i <= pool->nCurrent; ++i) used += (i ? " " : "") + std::to_string(entry(pool, i).nUsed);
    EXPECT_EQ(places, c[2]) << c.where;
    EXPECT_EQ(used, c[3]) << c.where;
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
