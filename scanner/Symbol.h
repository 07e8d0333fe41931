/*
 * Sym: a line-oriented lexical scanner over UTF-16 text.  The caller owns
 * the scanner record, hands it one line at a time and pulls symbols.
 */
#ifndef QELBASE_SYMBOL_H
#define QELBASE_SYMBOL_H

#include "containers/BalancedTree.h"
#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/* Symbol codes.  A character that forms no longer symbol is its own
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

/* Dialects: 0 and 2 C-like, 1 and 3 dotted words (1 also with the extra
   identifier characters @, $ and the German letters). */
#define SYM_MODE_C 0
#define SYM_MODE_DOTTED_EXTENDED 1
#define SYM_MODE_C_ALT 2
#define SYM_MODE_DOTTED 3

/* nEscapeMode: 1 selects the strict escape dialect, anything else the
   standard one. */
#define SYM_ESCAPE_STANDARD 0
#define SYM_ESCAPE_STRICT 1

typedef struct SymKeyword {
  const WCHAR* pszKeyword; /* only the pointer is stored */
  LONG nSym;
} SymKeyword;

typedef struct SymContext {
  const WCHAR* pszLine; /* the caller's line; null until SymNewLine */
  LONG nSym;
  ULONG nMaxIdentLen;
  ULONG nMaxAlphaLen; /* capacity of each buffer, without the terminator */
  SHORT sShort;
  USHORT usUShort;
  LONG lLong;
  ULONG ulULong;
  double dDouble;
  ULONG nColumnNo; /* index of the next character to read */
  ULONG nAlphaLen;
  ULONG nAlphaLenUnTranslated;
  WCHAR* pszAlpha;
  WCHAR* pszAlphaUpper;
  WCHAR* pszAlphaUnTranslated;
  ULONG nCommentLevel;
  LONG bLineComment;
  BT pKeywords;
  ULONG bUpperCaseKeywords;
  LONG nMode;
  ULONG nEscapeMode;
  WCHAR chPendingQuote; /* quote of a literal still open, or 0 */
} SymContext;

/* 0, or 0x8007000E when memory runs out (the record is then unusable). */
DWORD QEL_CDECL SymInit(SymContext* pSym, ULONG nMaxIdentLen, ULONG nMaxAlphaLen, ULONG bUpperCaseKeywords,
                        LONG nMode);
DWORD QEL_CDECL SymSetKeyword(SymContext* pSym, const SymKeyword* pKeyword);
void QEL_CDECL SymReset(SymContext* pSym);
void QEL_CDECL SymNewLine(SymContext* pSym, const WCHAR* pszLine);
/* The next symbol of the line; SymGetNextSymAll also delivers comments.
   The line ends at its first NUL.  A host loop that reads to the end of the
   line ends on -98 (SYM_EOL) only when no literal is open: while a string or
   character literal is open (chPendingQuote nonzero) the scan stands on the
   NUL and yields the literal's error again on every call, so such a loop
   also stops when chPendingQuote is set and the column has reached the NUL. */
LONG QEL_CDECL SymGetNextSymAll(SymContext* pSym);
LONG QEL_CDECL SymGetNextSym(SymContext* pSym);
void QEL_CDECL SymRelease(SymContext* pSym);

LONG QEL_CDECL SymGetSym(SymContext* pSym);
WCHAR* QEL_CDECL SymGetAlpha(SymContext* pSym);
ULONG QEL_CDECL SymGetAlphaLen(SymContext* pSym);
WCHAR* QEL_CDECL SymGetAlphaUnTranslated(SymContext* pSym);
ULONG QEL_CDECL SymGetAlphaLenUnTranslated(SymContext* pSym);
ULONG QEL_CDECL SymGetColumnNo(SymContext* pSym);
double QEL_CDECL SymGetDouble(SymContext* pSym);
ULONG QEL_CDECL SymGetULong(SymContext* pSym);
LONG QEL_CDECL SymGetLong(SymContext* pSym);
USHORT QEL_CDECL SymGetUShort(SymContext* pSym);
SHORT QEL_CDECL SymGetShort(SymContext* pSym);
/* Codes outside the table come back as decimal text in one static buffer. */
const WCHAR* QEL_CDECL SymGetSymDescription(LONG nSym);

/* The literal workers, for callers that drive them directly. */
void QEL_CDECL SymScanNumber(SymContext* pSym);
void QEL_CDECL SymScanString(SymContext* pSym);
WCHAR QEL_CDECL SymEscapeSeq(SymContext* pSym);

QEL_END_DECLS

#endif
