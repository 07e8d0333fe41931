/* The memory pool: copies packed into blocks that never move. */
#include "containers/MemoryPool.h"

#include <algorithm>
#include <cstring>

#include "frame/Heap.h"

namespace {

constexpr LONG kBlocksStep = 10;

MPBlock* newest(MP pool) {
  return pool->nCurrent < 0 ? nullptr : static_cast<MPBlock*>(DAGetElem(pool->pBlocks, pool->nCurrent));
}

// Opens a block for a copy of n bytes; null (pool unchanged) on failure.
MPBlock* openBlock(MP pool, LONG n) {
  // A block of 0 bytes still gets an address of its own.
  const size_t size = size_t(std::max({pool->nBlockSize, n, LONG(1)}));
  MPBlock entry{qel::heapAlloc(size), 0};
  if (!entry.pBlock) return nullptr;
  auto* stored = static_cast<MPBlock*>(DAAddElem(pool->pBlocks, &entry));
  if (!stored) {
    qel::heapFree(entry.pBlock);
    return nullptr;
  }
  ++pool->nCurrent;
  return stored;
}

}  // namespace

extern "C" {

MP QEL_CDECL MPCreate(LONG nBlockSize) {
  if (nBlockSize < 0) return nullptr;
  auto* pool = static_cast<MP>(qel::heapAlloc(sizeof(MPRecord)));
  if (!pool) return nullptr;
  *pool = MPRecord{DACreate(LONG(sizeof(MPBlock)), kBlocksStep), nBlockSize, -1};
  if (!pool->pBlocks) {
    qel::heapFree(pool);
    return nullptr;
  }
  return pool;
}

void* QEL_CDECL MPAlloc(MP pool, const void* pSource, LONG nBytes) {
  if (!pool || nBytes < 0 || (!pSource && nBytes > 0)) return nullptr;
  MPBlock* block = newest(pool);
  // An oversized block has negative room, so the next copy opens a new one.
  if (!block || pool->nBlockSize - block->nUsed < nBytes) block = openBlock(pool, nBytes);
  if (!block) return nullptr;
  char* copy = static_cast<char*>(block->pBlock) + block->nUsed;
  if (nBytes) std::memcpy(copy, pSource, size_t(nBytes));
  block->nUsed += nBytes;
  return copy;
}

void QEL_CDECL MPDestroy(MP pool) {
  if (!pool) return;
  for (LONG i = 0; i <= pool->nCurrent; ++i) {
    auto* block = static_cast<MPBlock*>(DAGetElem(pool->pBlocks, i));
    qel::heapFree(block->pBlock);
    block->pBlock = nullptr;
  }
  DADestroy(pool->pBlocks);
  qel::heapFree(pool);
}

}  // extern "C"
