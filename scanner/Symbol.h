/** @file
 * Sym: a line-oriented lexical scanner over UTF-16 text.  The caller owns
 * the scanner record, hands it one line at a time and pulls symbols.
 */
#ifndef QELBASE_SYMBOL_H
#define QELBASE_SYMBOL_H

#include "containers/BalancedTree.h"
#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** @{ */
/** Symbol codes.  A character that forms no longer symbol is its own
   (positive) code. */
#define SYM_SHORT (-1)
#define SYM_USHORT (-2)
#define SYM_LONG (-3)
#define SYM_ULONG (-4)
#define SYM_DOUBLE (-5)
#define SYM_STRING (-6)
#define SYM_CHARACTER (-7)
#define SYM_IDENTIFIER (-8)
#define SYM_EQ (-10)
#define SYM_NE (-11)
#define SYM_LE (-12)
#define SYM_GE (-13)
#define SYM_DIV_ASSIGN (-20)
#define SYM_MUL_ASSIGN (-21)
#define SYM_ADD_ASSIGN (-22)
#define SYM_SUB_ASSIGN (-23)
#define SYM_AND_ASSIGN (-24)
#define SYM_OR_ASSIGN (-25)
#define SYM_XOR_ASSIGN (-26)
#define SYM_MOD_ASSIGN (-27)
#define SYM_TILDE_NE (-28)
#define SYM_SHL_ASSIGN (-29)
#define SYM_SHR_ASSIGN (-30)
#define SYM_INCREMENT (-40)
#define SYM_DECREMENT (-41)
#define SYM_SHL (-42)
#define SYM_SHR (-43)
#define SYM_SCOPE (-44)
#define SYM_LOGICAL_AND (-50)
#define SYM_LOGICAL_OR (-51)
#define SYM_ARROW (-60)
#define SYM_COMMENT_OPEN (-70)
#define SYM_COMMENT_CLOSE (-71)
#define SYM_LINE_COMMENT (-72)
#define SYM_EOL (-98)
#define SYM_EOF (-99)
#define SYM_ERROR_NUMBER (-200)
#define SYM_ERROR_STRING (-201)
#define SYM_ERROR_CHARACTER (-202)
/** @} */

/** @{ */
/** Dialects: 0 and 2 C-like, 1 and 3 dotted words (1 also with the extra
   identifier characters @, $ and the German letters). */
#define SYM_MODE_C 0
#define SYM_MODE_DOTTED_EXTENDED 1
#define SYM_MODE_C_ALT 2
#define SYM_MODE_DOTTED 3
/** @} */

/** @{ */
/** nEscapeMode: 1 selects the strict escape dialect, anything else the
   standard one. */
#define SYM_ESCAPE_STANDARD 0
#define SYM_ESCAPE_STRICT 1
/** @} */

/** A keyword and the symbol code the scanner gives for it (SymSetKeyword). */
typedef struct SymKeyword {
  const WCHAR* pszKeyword; /**< only the pointer is stored */
  LONG nSym;               /**< the code of the keyword's symbol */
} SymKeyword;

/** A scanner.  The caller owns the record (cleared, then SymInit) and may
   read its fields; the accessor functions give the same values. */
typedef struct SymContext {
  const WCHAR* pszLine;        /**< the caller's line, not copied; null until SymNewLine */
  LONG nSym;                   /**< the current symbol's code */
  ULONG nMaxIdentLen;          /**< the longest identifier; longer ones are cut */
  ULONG nMaxAlphaLen;          /**< capacity of each text buffer, without the terminator */
  SHORT sShort;                /**< the current number as SHORT (SYM_SHORT) */
  USHORT usUShort;             /**< the current number as USHORT (SYM_USHORT) */
  LONG lLong;                  /**< the current number as LONG (SYM_LONG) */
  ULONG ulULong;               /**< the current number as ULONG (SYM_ULONG) */
  double dDouble;              /**< the current number as double (SYM_DOUBLE) */
  ULONG nColumnNo;             /**< index of the next character to read */
  ULONG nAlphaLen;             /**< length of pszAlpha */
  ULONG nAlphaLenUnTranslated; /**< length of pszAlphaUnTranslated */
  WCHAR* pszAlpha;             /**< the current symbol's text, escapes resolved */
  WCHAR* pszAlphaUpper;        /**< the same in upper case, for keyword lookup */
  WCHAR* pszAlphaUnTranslated; /**< the current symbol's text as it stands in the line */
  ULONG nCommentLevel;         /**< depth of open block comments */
  LONG bLineComment;           /**< nonzero inside a line comment */
  BT pKeywords;                /**< the keywords (SymKeyword), by text */
  ULONG bUpperCaseKeywords;    /**< nonzero: keywords are found regardless of case */
  LONG nMode;                  /**< the dialect, a SYM_MODE_ value */
  ULONG nEscapeMode;           /**< SYM_ESCAPE_STANDARD or SYM_ESCAPE_STRICT */
  WCHAR chPendingQuote;        /**< quote of a literal still open, or 0 */
} SymContext;

/** Sets up a scanner: text buffers of nMaxAlphaLen + 1 characters,
   identifiers cut at nMaxIdentLen, keywords case-blind when
   bUpperCaseKeywords is nonzero, the dialect nMode (SYM_MODE_).  Returns 0,
   or 0x8007000E when memory runs out (the record is then unusable).  Free
   it with SymRelease. */
DWORD QEL_CDECL SymInit(SymContext* pSym, ULONG nMaxIdentLen, ULONG nMaxAlphaLen, ULONG bUpperCaseKeywords,
                        LONG nMode);
/** Adds a keyword (the record is copied, the text is not); returns 0 or
   0x8007000E. */
DWORD QEL_CDECL SymSetKeyword(SymContext* pSym, const SymKeyword* pKeyword);
/** Forgets a literal left open by the previous line. */
void QEL_CDECL SymReset(SymContext* pSym);
/** Gives the scanner the next line (not copied: it must stay valid while it
   is scanned) and starts at its first character; the current symbol is
   unchanged until the next SymGetNextSym. */
void QEL_CDECL SymNewLine(SymContext* pSym, const WCHAR* pszLine);
/** The next symbol of the line; SymGetNextSymAll also delivers comments.
   The line ends at its first NUL.  A host loop that reads to the end of the
   line ends on -98 (SYM_EOL) only when no literal is open: while a string or
   character literal is open (chPendingQuote nonzero) the scan stands on the
   NUL and yields the literal's error again on every call, so such a loop
   also stops when chPendingQuote is set and the column has reached the NUL. */
/** @{ */
LONG QEL_CDECL SymGetNextSymAll(SymContext* pSym);
LONG QEL_CDECL SymGetNextSym(SymContext* pSym);
/** @} */
/** Frees the scanner's buffers and keyword table. */
void QEL_CDECL SymRelease(SymContext* pSym);

/** The current symbol's code. */
LONG QEL_CDECL SymGetSym(SymContext* pSym);
/** The current symbol's text (escapes resolved) and its length; the buffer
   is the scanner's and is rewritten by the next symbol. */
/** @{ */
WCHAR* QEL_CDECL SymGetAlpha(SymContext* pSym);
ULONG QEL_CDECL SymGetAlphaLen(SymContext* pSym);
/** @} */
/** The current symbol's text as it stands in the line, and its length. */
/** @{ */
WCHAR* QEL_CDECL SymGetAlphaUnTranslated(SymContext* pSym);
ULONG QEL_CDECL SymGetAlphaLenUnTranslated(SymContext* pSym);
/** @} */
/** The index in the line just past the current symbol. */
ULONG QEL_CDECL SymGetColumnNo(SymContext* pSym);
/** The current number literal's value, by the type its code names
   (SYM_DOUBLE, SYM_ULONG, SYM_LONG, SYM_USHORT, SYM_SHORT). */
/** @{ */
double QEL_CDECL SymGetDouble(SymContext* pSym);
ULONG QEL_CDECL SymGetULong(SymContext* pSym);
LONG QEL_CDECL SymGetLong(SymContext* pSym);
USHORT QEL_CDECL SymGetUShort(SymContext* pSym);
SHORT QEL_CDECL SymGetShort(SymContext* pSym);
/** @} */
/** Codes outside the table come back as decimal text in one static buffer. */
const WCHAR* QEL_CDECL SymGetSymDescription(LONG nSym);

/** The literal workers, for callers that drive them directly: a number
   from the current column; a string whose opening quote is at the current
   column; one escape sequence after its backslash, returning its character. */
/** @{ */
void QEL_CDECL SymScanNumber(SymContext* pSym);
void QEL_CDECL SymScanString(SymContext* pSym);
WCHAR QEL_CDECL SymEscapeSeq(SymContext* pSym);
/** @} */

QEL_END_DECLS

#endif
