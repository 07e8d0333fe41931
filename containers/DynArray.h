/** @file
 * DA: a growable array of fixed-size elements stored by value. */
#ifndef QELBASE_DYNARRAY_H
#define QELBASE_DYNARRAY_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** The array: the caller holds a DA, a pointer to this record. */
typedef struct DARecord {
  void* pData;    /**< nAlloc * nElemSize bytes */
  LONG nCount;    /**< elements in use */
  LONG nAlloc;    /**< slots allocated */
  LONG nGrowBy;   /**< slots added per growth step: the initial capacity */
  LONG nElemSize; /**< bytes per element */
} DARecord, *DA;

/** Null when either allocation fails, or for a size or capacity below 1. */
DA QEL_CDECL DACreate(LONG nElemSize, LONG nInitialCapacity);
/** Frees the elements' block and the record; a null array is ignored. */
void QEL_CDECL DADestroy(DA da);

/** Each returns the address of the stored copy, or null when growth failed
   (the array is then unchanged) or the index is negative.  The address is
   valid until the next call that grows the array.  DAAddElem appends. */
void* QEL_CDECL DAAddElem(DA da, const void* pElem);
/** Stores at nIndex, growing by whole steps past the end (the count becomes
   nIndex + 1 when it was smaller); results as DAAddElem. */
void* QEL_CDECL DASetElem(DA da, LONG nIndex, const void* pElem);
/** Inserts at nIndex, moving the later elements up (at or past the end:
   DASetElem); results as DAAddElem. */
void* QEL_CDECL DAInsertElem(DA da, LONG nIndex, const void* pElem);

/** The slot at an index below the capacity (not only the count), else null. */
void* QEL_CDECL DAGetElem(DA da, LONG nIndex);
/** The number of elements in use; 0 for a null array. */
LONG QEL_CDECL DAGetSize(DA da);
/** Drops the last element (the capacity stays). */
void QEL_CDECL DADeleteLast(DA da);

QEL_END_DECLS

#endif
