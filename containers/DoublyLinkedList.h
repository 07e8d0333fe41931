/** @file
 * DL: a doubly linked list of fixed-size values behind a separate header. */
#ifndef QELBASE_DOUBLYLINKEDLIST_H
#define QELBASE_DOUBLYLINKEDLIST_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** dwMagic of a live list header. */
#define DL_MAGIC 1402

/** One element, linked or not. */
typedef struct DLElement {
  struct DLElement* pPrev; /**< null at the front */
  struct DLElement* pNext; /**< null at the end */
  void* pValue;            /**< the element's own copy, nValueSize bytes */
} DLElement;

/** The list. */
typedef struct DLHeader {
  DWORD dwMagic;     /**< DL_MAGIC */
  DLElement* pFirst; /**< null when empty */
  DLElement* pLast;  /**< null when empty */
  DWORD nCount;      /**< linked elements */
  DWORD nValueSize;  /**< bytes of each value */
} DLHeader;

/** An empty list of values of nValueSize bytes; null when memory is short.
   Free it with DLRemoveHeader. */
DLHeader* QEL_CDECL DLCreateHeader(DWORD nValueSize);
/** Frees every element with its value, first to last, then the header. */
void QEL_CDECL DLRemoveHeader(DLHeader* pHeader);
/** An unlinked element with a copy of the value, to be inserted; null when
   memory is short. */
DLElement* QEL_CDECL DLCreateElement(DLHeader* pHeader, const void* pValue);

/** Links an unlinked element: into an empty list as its only element,
   otherwise before (bBefore nonzero) or after the reference, or at the
   front or the end when there is no reference. */
void QEL_CDECL DLInsertElement(DLHeader* pHeader, DLElement* pRef, DLElement* pElement, LONG bBefore);
/** DLInsertElement at the front, at the end, before and after pRef. */
/** @{ */
void QEL_CDECL DLInsertFirstElement(DLHeader* pHeader, DLElement* pElement);
void QEL_CDECL DLInsertLastElement(DLHeader* pHeader, DLElement* pElement);
void QEL_CDECL DLInsertPrevElement(DLHeader* pHeader, DLElement* pRef, DLElement* pElement);
void QEL_CDECL DLInsertNextElement(DLHeader* pHeader, DLElement* pRef, DLElement* pElement);
/** Unlinks a linked element and frees it with its value. */
/** @} */
void QEL_CDECL DLRemoveElement(DLHeader* pHeader, DLElement* pElement);

/** The first and last element; null when the list is empty. */
/** @{ */
DLElement* QEL_CDECL DLGetFirstElement(DLHeader* pHeader);
DLElement* QEL_CDECL DLGetLastElement(DLHeader* pHeader);
/** @} */
/** The neighbours of an element; null at either end. */
/** @{ */
DLElement* QEL_CDECL DLGetPrevElement(DLElement* pElement);
DLElement* QEL_CDECL DLGetNextElement(DLElement* pElement);
/** @} */
/** The element's copy of its value. */
void* QEL_CDECL DLGetElementValue(DLElement* pElement);

/** One level-5 record "Element:%d - %d\n" per element through the default
   trace object: the position from 1 and the value's first 32-bit integer. */
void QEL_CDECL DLListElements(DLHeader* pHeader);

QEL_END_DECLS

#endif
