/* DL: a doubly linked list of fixed-size values behind a separate header. */
#ifndef QELBASE_DOUBLYLINKEDLIST_H
#define QELBASE_DOUBLYLINKEDLIST_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

#define DL_MAGIC 1402

typedef struct DLElement {
  struct DLElement* pPrev;
  struct DLElement* pNext;
  void* pValue; /* the element's own copy, nValueSize bytes */
} DLElement;

typedef struct DLHeader {
  DWORD dwMagic;
  DLElement* pFirst;
  DLElement* pLast;
  DWORD nCount;
  DWORD nValueSize;
} DLHeader;

DLHeader* QEL_CDECL DLCreateHeader(DWORD nValueSize);
/* Frees every element with its value, first to last, then the header. */
void QEL_CDECL DLRemoveHeader(DLHeader* pHeader);
/* An unlinked element with a copy of the value, to be inserted; null when
   memory is short. */
DLElement* QEL_CDECL DLCreateElement(DLHeader* pHeader, const void* pValue);

/* Links an unlinked element: into an empty list as its only element,
   otherwise before (bBefore nonzero) or after the reference, or at the
   front or the end when there is no reference. */
void QEL_CDECL DLInsertElement(DLHeader* pHeader, DLElement* pRef, DLElement* pElement, LONG bBefore);
void QEL_CDECL DLInsertFirstElement(DLHeader* pHeader, DLElement* pElement);
void QEL_CDECL DLInsertLastElement(DLHeader* pHeader, DLElement* pElement);
void QEL_CDECL DLInsertPrevElement(DLHeader* pHeader, DLElement* pRef, DLElement* pElement);
void QEL_CDECL DLInsertNextElement(DLHeader* pHeader, DLElement* pRef, DLElement* pElement);
/* Unlinks a linked element and frees it with its value. */
void QEL_CDECL DLRemoveElement(DLHeader* pHeader, DLElement* pElement);

DLElement* QEL_CDECL DLGetFirstElement(DLHeader* pHeader);
DLElement* QEL_CDECL DLGetLastElement(DLHeader* pHeader);
DLElement* QEL_CDECL DLGetPrevElement(DLElement* pElement);
DLElement* QEL_CDECL DLGetNextElement(DLElement* pElement);
void* QEL_CDECL DLGetElementValue(DLElement* pElement);

/* One level-5 record "Element:%d - %d\n" per element through the default
   trace object: the position from 1 and the value's first 32-bit integer. */
void QEL_CDECL DLListElements(DLHeader* pHeader);

QEL_END_DECLS

#endif
