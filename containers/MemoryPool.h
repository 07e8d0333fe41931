/** @file
 * MP: an append-only arena of byte-string copies, freed all at once. */
#ifndef QELBASE_MEMORYPOOL_H
#define QELBASE_MEMORYPOOL_H

#include "containers/DynArray.h"

QEL_BEGIN_DECLS

/** One entry of the block array. */
typedef struct MPBlock {
  void* pBlock; /**< the block, from the heap */
  LONG nUsed;   /**< bytes handed out */
} MPBlock;

/** The pool: the caller holds an MP, a pointer to this record. */
typedef struct MPRecord {
  DA pBlocks;      /**< MPBlock entries, oldest first */
  LONG nBlockSize; /**< bytes of a normal block */
  LONG nCurrent;   /**< index of the newest block, -1 while there is none */
} MPRecord, *MP;

/** Null when memory is short or the block size is negative. */
MP QEL_CDECL MPCreate(LONG nBlockSize);
/** Copies nBytes into the newest block, packed behind the previous copy, or
   into a new block of max(block size, nBytes); the copy stays where it is
   until MPDestroy.  Null (the pool unchanged) when memory is short or
   nBytes is negative. */
void* QEL_CDECL MPAlloc(MP pool, const void* pSource, LONG nBytes);
/** Frees every block, and with them every copy, and the record. */
void QEL_CDECL MPDestroy(MP pool);

QEL_END_DECLS

#endif
