/*
 * FSc: cuts a format line (a report line template) into constant texts and
 * placeholders whose texts FMFormatStr takes as pictures.  The caller owns
 * the record and the line; FScInit allocates the symbol text buffer.
 */
#ifndef QELBASE_FORMAT_SCANNER_H
#define QELBASE_FORMAT_SCANNER_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

#define FSC_EOL (-1)
#define FSC_CONSTANT (-2)
#define FSC_CHAR (-3)    /* & */
#define FSC_STRING (-4)  /* a slash, blanks, a slash: the field width */
#define FSC_VARIANT (-5) /* ^ */
#define FSC_INTEGER (-6) /* # $ * runs with sign and separators */
#define FSC_DOUBLE (-7)  /* the same with a decimal point */

typedef struct FScContext {
  LONG nSym;
  ULONG nAlphaMax; /* text buffer length, terminator included */
  const WCHAR* pszLine;
  ULONG nColumnNo; /* next character to read */
  ULONG nAlphaLen;
  WCHAR* pszAlpha; /* the current symbol's text, always terminated */
  LONG nLineLen;   /* -1: the line ends at its NUL */
} FScContext;

/* 0, or 0x8007000E.  A symbol longer than nAlphaMax - 1 characters keeps
   only its first nAlphaMax - 1 characters. */
DWORD QEL_CDECL FScInit(FScContext* pFSc, ULONG nAlphaMax);
void QEL_CDECL FScRelease(FScContext* pFSc);
void QEL_CDECL FScSetLine(FScContext* pFSc, const WCHAR* pszLine);
/* The line may hold NULs; it ends at the NUL at index nLineLen. */
void QEL_CDECL FScSetLineLen(FScContext* pFSc, const WCHAR* pszLine, LONG nLineLen);
LONG QEL_CDECL FScGetNextSym(FScContext* pFSc);
LONG QEL_CDECL FScGetSym(FScContext* pFSc);
WCHAR* QEL_CDECL FScGetAlpha(FScContext* pFSc);
ULONG QEL_CDECL FScGetAlphaLen(FScContext* pFSc);
ULONG QEL_CDECL FScGetColumnNo(FScContext* pFSc);
const WCHAR* QEL_CDECL FScGetSymDescription(LONG nSym);
BOOL QEL_CDECL FScIsPlaceholder(LONG nSym);

QEL_END_DECLS

#endif
