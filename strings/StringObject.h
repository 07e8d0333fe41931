/** @file
 * TS: the dynamic wide-character string.  The record owns one heap block of
 * exactly length + 1 characters; an empty object has no block at all.  A
 * failed memory request leaves the object empty and returns null.
 */
#ifndef QELBASE_STRING_OBJECT_H
#define QELBASE_STRING_OBJECT_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** The string object; TS is a pointer to one.  A record on the stack starts
   empty when zeroed (or after TSClear). */
typedef struct TSString {
  WCHAR* pText; /**< null when empty */
  ULONG nSize;  /**< characters allocated, terminator included; 0 when empty */
} TSString, *TS;

/** Life cycle. */
/** An empty object from the heap; null when memory is short.  Free it with TSFree. */
TS QEL_CDECL TSNew(void);
void QEL_CDECL TSClear(TS ts); /**< empties without freeing: for fresh records */
TS QEL_CDECL TSInit(TS ts);    /**< frees the text, leaves the record */
/** Frees the text and the object (from TSNew or TSClone); null is ignored. */
void QEL_CDECL TSFree(TS ts);
/** A new object holding a copy of s (TSCloneN: its first nCount
   characters); null when memory is short. */
/** @{ */
TS QEL_CDECL TSClone(const WCHAR* s);
TS QEL_CDECL TSCloneN(const WCHAR* s, ULONG nCount);

/** @} */

/** Access; TSGetStr of an empty object is a shared "" that must not be written. */
WCHAR* QEL_CDECL TSGetStr(TS ts);
/** The length in characters, terminator excluded. */
LONG QEL_CDECL TSGetLen(const TSString* ts);
/** Nonzero when the object holds no text. */
INT QEL_CDECL TSEmpty(const TSString* ts);
/** The character at nIndex (from 0); 0 outside the text. */
WCHAR QEL_CDECL TSGetChar(const TSString* ts, LONG nIndex);

/* Setting and appending; sources must not lie inside ts's own block. */
/** Replaces the text with a copy of s (TSSetStrN: its first nCount characters). */
/** @{ */
TS QEL_CDECL TSSetStr(TS ts, const WCHAR* s);
TS QEL_CDECL TSSetStrN(TS ts, const WCHAR* s, ULONG nCount);
/** @} */
/** Sets the length: the block becomes nLength + 1 characters, a longer text
   is cut, new characters are left as the heap gives them; 0 empties. */
TS QEL_CDECL TSSetLen(TS ts, ULONG nLength);
/** Replaces the text with a copy of src's. */
TS QEL_CDECL TSCopy(TS ts, const TSString* src);
TS QEL_CDECL TSAdd(TS ts, const TSString* src); /**< src may be ts itself */
/** Appends a copy of s (TSAddStrN: its first nCount characters). */
/** @{ */
TS QEL_CDECL TSAddStr(TS ts, const WCHAR* s);
TS QEL_CDECL TSAddStrN(TS ts, const WCHAR* s, ULONG nCount);
/** @} */
/** Replaces the text with the one character ch. */
TS QEL_CDECL TSFromCh(TS ts, WCHAR ch);
/** Replaces the text with nCount copies of s (none for nCount below 1). */
TS QEL_CDECL TSRep(TS ts, const WCHAR* s, LONG nCount);
/** Replaces the text with s in reverse order. */
TS QEL_CDECL TSInvert(TS ts, const WCHAR* s);

/** Cutting: ts is emptied first, then filled from src: nCount characters
   from nStart (nothing when they do not lie within src). */
TS QEL_CDECL TSSubStr(TS ts, const TSString* src, LONG nStart, LONG nCount);
/** The first and the last nCount characters (all of src when it is shorter). */
/** @{ */
TS QEL_CDECL TSLeft(TS ts, const TSString* src, LONG nCount);
TS QEL_CDECL TSRight(TS ts, const TSString* src, LONG nCount);
/** @} */
/** A negative start counts from the character before the last one. */
TS QEL_CDECL TSMid(TS ts, const TSString* src, LONG nStart, LONG nCount);

/* In place. */
/** Case mapping by the runtime locale (TSSetLocale; ASCII only in "C"). */
/** @{ */
TS QEL_CDECL TSLower(TS ts);
TS QEL_CDECL TSUpper(TS ts);
/** @} */
/** Removes leading, trailing, or both leading and trailing spaces. */
/** @{ */
TS QEL_CDECL TSLTrim(TS ts); /**< U+0020 only */
TS QEL_CDECL TSRTrim(TS ts);
TS QEL_CDECL TSATrim(TS ts);
/** @} */
/** Each character of pszSet in the text becomes pszReplacement (null: removed). */
TS QEL_CDECL TSChrSubst(TS ts, const WCHAR* pszSet, const WCHAR* pszReplacement);
/** Each occurrence of pszPattern, from the left and without overlap. */
TS QEL_CDECL TSStrSubst(TS ts, const WCHAR* pszPattern, const WCHAR* pszReplacement);

/* Searching and comparing (ordinal, by code unit). */
/** The first occurrence of pszPattern at or after nStart, searching up to the
   text's first zero character; -1 when none (or for an empty pattern). */
LONG QEL_CDECL TSStrPos(const TSString* ts, const WCHAR* pszPattern, LONG nStart);
/** The last occurrence of pszPattern at or above nLowest; -1 when none. */
LONG QEL_CDECL TSStrRPos(const TSString* ts, const WCHAR* pszPattern, LONG nLowest);
/** Below, equal to or above 0 as a sorts before, with or after b (an empty
   object sorts first). */
LONG QEL_CDECL TSCmp(const TSString* a, const TSString* b);

/* Conversions; numbers follow the runtime library's locale (TSSetLocale). */
/** The number in decimal. */
/** @{ */
TS QEL_CDECL TSFromInt(TS ts, INT nValue);
TS QEL_CDECL TSFromLong(TS ts, LONG nValue);
TS QEL_CDECL TSFromULong(TS ts, ULONG nValue);
/** @} */
TS QEL_CDECL TSFromDouble(TS ts, double dValue);                    /**< "%lf" */
TS QEL_CDECL TSFromDoubleFmt(TS ts, double dValue, LONG nDecimals); /**< "%.*lf" */
/** decimals >= 0: "%*.*f"; below 0: "%*.*e" with -decimals digits. */
TS QEL_CDECL TSStr(TS ts, double dValue, LONG nWidth, LONG nDecimals);
/** The value through a printf format such as L"%8.2f". */
TS QEL_CDECL TSCStr(TS ts, double dValue, const WCHAR* pszFormat);
/** The date in the system locale's short-date form. */
TS QEL_CDECL TSFromDate(TS ts, const SYSTEMTIME* td);
/** The number the text starts with, as wcstod reads it (0 when none). */
double QEL_CDECL TSVal(const TSString* ts);
/** As _wsetlocale: sets or (pszLocale null) queries the runtime locale
   that number conversions and case mapping follow; the locale's name, or
   null when it is unknown. */
WCHAR* QEL_CDECL TSSetLocale(INT nCategory, const WCHAR* pszLocale);

QEL_END_DECLS

#endif
