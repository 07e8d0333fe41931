/** @file
 * FSc: cuts a format line (a report line template) into constant texts and
 * placeholders whose texts FMFormatStr takes as pictures.  The caller owns
 * the record and the line; FScInit allocates the symbol text buffer.
 */
#ifndef QELBASE_FORMAT_SCANNER_H
#define QELBASE_FORMAT_SCANNER_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** @{ */
/** Symbol codes of a format line. */
#define FSC_EOL (-1)      /**< the end of the line */
#define FSC_CONSTANT (-2) /**< text copied as it is */
#define FSC_CHAR (-3)     /**< & */
#define FSC_STRING (-4)   /**< a slash, blanks, a slash: the field width */
#define FSC_VARIANT (-5)  /**< ^ */
#define FSC_INTEGER (-6)  /**< # $ * runs with sign and separators */
#define FSC_DOUBLE (-7)   /**< the same with a decimal point */
/** @} */

/** A format-line scanner; the caller owns the record (cleared, then FScInit). */
typedef struct FScContext {
  LONG nSym;            /**< the current symbol's code */
  ULONG nAlphaMax;      /**< text buffer length, terminator included */
  const WCHAR* pszLine; /**< the caller's line, not copied */
  ULONG nColumnNo;      /**< next character to read */
  ULONG nAlphaLen;      /**< the length of pszAlpha */
  WCHAR* pszAlpha;      /**< the current symbol's text, always terminated */
  LONG nLineLen;        /**< -1: the line ends at its NUL */
} FScContext;

/** 0, or 0x8007000E.  A symbol longer than nAlphaMax - 1 characters keeps
   only its first nAlphaMax - 1 characters. */
DWORD QEL_CDECL FScInit(FScContext* pFSc, ULONG nAlphaMax);
/** Frees the text buffer. */
void QEL_CDECL FScRelease(FScContext* pFSc);
/** Gives the scanner a line (not copied: it must stay valid while it is
   scanned), ending at its first NUL, and starts at its first character. */
void QEL_CDECL FScSetLine(FScContext* pFSc, const WCHAR* pszLine);
/** The line may hold NULs; it ends at the NUL at index nLineLen. */
void QEL_CDECL FScSetLineLen(FScContext* pFSc, const WCHAR* pszLine, LONG nLineLen);
/** Moves to the next symbol and returns its code (FSC_EOL at the end). */
LONG QEL_CDECL FScGetNextSym(FScContext* pFSc);
/** The current symbol's code. */
LONG QEL_CDECL FScGetSym(FScContext* pFSc);
/** The current symbol's text and its length; the buffer is the scanner's. */
/** @{ */
WCHAR* QEL_CDECL FScGetAlpha(FScContext* pFSc);
ULONG QEL_CDECL FScGetAlphaLen(FScContext* pFSc);
/** @} */
/** The index in the line of the next character to read. */
ULONG QEL_CDECL FScGetColumnNo(FScContext* pFSc);
/** A name for a symbol code (codes outside the table as decimal text). */
const WCHAR* QEL_CDECL FScGetSymDescription(LONG nSym);
/** TRUE for the codes of placeholders (FSC_CHAR to FSC_DOUBLE). */
BOOL QEL_CDECL FScIsPlaceholder(LONG nSym);

QEL_END_DECLS

#endif
