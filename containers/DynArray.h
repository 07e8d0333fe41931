/* DA: a growable array of fixed-size elements stored by value. */
#ifndef QELBASE_DYNARRAY_H
#define QELBASE_DYNARRAY_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

typedef struct DARecord {
  void* pData;    /* nAlloc * nElemSize bytes */
  LONG nCount;    /* elements in use */
  LONG nAlloc;    /* slots allocated */
  LONG nGrowBy;   /* slots added per growth step: the initial capacity */
  LONG nElemSize; /* bytes per element */
} DARecord, *DA;

/* Null when either allocation fails, or for a size or capacity below 1. */
DA QEL_CDECL DACreate(LONG nElemSize, LONG nInitialCapacity);
void QEL_CDECL DADestroy(DA da);

/* Each returns the address of the stored copy, or null when growth failed
   (the array is then unchanged) or the index is negative.  The address is
   valid until the next call that grows the array. */
void* QEL_CDECL DAAddElem(DA da, const void* pElem);
void* QEL_CDECL DASetElem(DA da, LONG nIndex, const void* pElem);
void* QEL_CDECL DAInsertElem(DA da, LONG nIndex, const void* pElem);

/* The slot at an index below the capacity (not only the count), else null. */
void* QEL_CDECL DAGetElem(DA da, LONG nIndex);
LONG QEL_CDECL DAGetSize(DA da);
void QEL_CDECL DADeleteLast(DA da);

QEL_END_DECLS

#endif
