/*
 * TS: the dynamic wide-character string.  The record owns one heap block of
 * exactly length + 1 characters; an empty object has no block at all.  A
 * failed memory request leaves the object empty and returns null.
 */
#ifndef QELBASE_STRING_OBJECT_H
#define QELBASE_STRING_OBJECT_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

typedef struct TSString {
  WCHAR* pText; /* null when empty */
  ULONG nSize;  /* characters allocated, terminator included; 0 when empty */
} TSString, *TS;

/* Life cycle. */
TS QEL_CDECL TSNew(void);
void QEL_CDECL TSClear(TS ts); /* empties without freeing: for fresh records */
TS QEL_CDECL TSInit(TS ts);    /* frees the text, leaves the record */
void QEL_CDECL TSFree(TS ts);
TS QEL_CDECL TSClone(const WCHAR* s);
TS QEL_CDECL TSCloneN(const WCHAR* s, ULONG nCount);

/* Access; TSGetStr of an empty object is a shared "" that must not be written. */
WCHAR* QEL_CDECL TSGetStr(TS ts);
LONG QEL_CDECL TSGetLen(const TSString* ts);
INT QEL_CDECL TSEmpty(const TSString* ts);
WCHAR QEL_CDECL TSGetChar(const TSString* ts, LONG nIndex);

/* Setting and appending; sources must not lie inside ts's own block. */
TS QEL_CDECL TSSetStr(TS ts, const WCHAR* s);
TS QEL_CDECL TSSetStrN(TS ts, const WCHAR* s, ULONG nCount);
TS QEL_CDECL TSSetLen(TS ts, ULONG nLength);
TS QEL_CDECL TSCopy(TS ts, const TSString* src);
TS QEL_CDECL TSAdd(TS ts, const TSString* src); /* src may be ts itself */
TS QEL_CDECL TSAddStr(TS ts, const WCHAR* s);
TS QEL_CDECL TSAddStrN(TS ts, const WCHAR* s, ULONG nCount);
TS QEL_CDECL TSFromCh(TS ts, WCHAR ch);
TS QEL_CDECL TSRep(TS ts, const WCHAR* s, LONG nCount);
TS QEL_CDECL TSInvert(TS ts, const WCHAR* s);

/* Cutting: ts is emptied first, then filled from src. */
TS QEL_CDECL TSSubStr(TS ts, const TSString* src, LONG nStart, LONG nCount);
TS QEL_CDECL TSLeft(TS ts, const TSString* src, LONG nCount);
TS QEL_CDECL TSRight(TS ts, const TSString* src, LONG nCount);
/* A negative start counts from the character before the last one. */
TS QEL_CDECL TSMid(TS ts, const TSString* src, LONG nStart, LONG nCount);

/* In place. */
TS QEL_CDECL TSLower(TS ts);
TS QEL_CDECL TSUpper(TS ts);
TS QEL_CDECL TSLTrim(TS ts); /* U+0020 only */
TS QEL_CDECL TSRTrim(TS ts);
TS QEL_CDECL TSATrim(TS ts);
/* Each character of pszSet in the text becomes pszReplacement (null: removed). */
TS QEL_CDECL TSChrSubst(TS ts, const WCHAR* pszSet, const WCHAR* pszReplacement);
/* Each occurrence of pszPattern, from the left and without overlap. */
TS QEL_CDECL TSStrSubst(TS ts, const WCHAR* pszPattern, const WCHAR* pszReplacement);

/* Searching and comparing (ordinal, by code unit). */
LONG QEL_CDECL TSStrPos(const TSString* ts, const WCHAR* pszPattern, LONG nStart);
LONG QEL_CDECL TSStrRPos(const TSString* ts, const WCHAR* pszPattern, LONG nLowest);
LONG QEL_CDECL TSCmp(const TSString* a, const TSString* b);

/* Conversions; numbers follow the runtime library's locale (TSSetLocale). */
TS QEL_CDECL TSFromInt(TS ts, INT nValue);
TS QEL_CDECL TSFromLong(TS ts, LONG nValue);
TS QEL_CDECL TSFromULong(TS ts, ULONG nValue);
TS QEL_CDECL TSFromDouble(TS ts, double dValue);                    /* "%lf" */
TS QEL_CDECL TSFromDoubleFmt(TS ts, double dValue, LONG nDecimals); /* "%.*lf" */
/* decimals >= 0: "%*.*f"; below 0: "%*.*e" with -decimals digits. */
TS QEL_CDECL TSStr(TS ts, double dValue, LONG nWidth, LONG nDecimals);
TS QEL_CDECL TSCStr(TS ts, double dValue, const WCHAR* pszFormat);
/* The date in the system locale's short-date form. */
TS QEL_CDECL TSFromDate(TS ts, const SYSTEMTIME* td);
double QEL_CDECL TSVal(const TSString* ts);
WCHAR* QEL_CDECL TSSetLocale(INT nCategory, const WCHAR* pszLocale);

QEL_END_DECLS

#endif
