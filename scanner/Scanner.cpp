/*
 * The scanner record's life (init, keywords, release), the frame shared by
 * both dialects and the comment filter of SymGetNextSym.
 */
#include <qel/wcrt.h>

#include <cstdint>

#include "frame/Heap.h"
#include "frame/ResultCodes.h"
#include "scanner/ScannerText.h"

namespace qel::scanner {
namespace {

// The logical keywords of the dotted dialects, registered in this order.
const SymKeyword kLogicalKeywords[] = {
    {QEL_W("not"), '!'}, {QEL_W("or"), SYM_LOGICAL_OR}, {QEL_W("xor"), '^'}, {QEL_W("and"), SYM_LOGICAL_AND},
    {QEL_W("NOT"), '!'}, {QEL_W("OR"), SYM_LOGICAL_OR}, {QEL_W("XOR"), '^'}, {QEL_W("AND"), SYM_LOGICAL_AND},
};

bool isCLike(LONG mode) { return mode == SYM_MODE_C || mode == SYM_MODE_C_ALT; }
bool isDotted(LONG mode) { return mode == SYM_MODE_DOTTED_EXTENDED || mode == SYM_MODE_DOTTED; }

WCHAR* allocateText(ULONG length) {
  if (ULONGLONG(length) + 1 > SIZE_MAX / sizeof(WCHAR)) return nullptr;
  return static_cast<WCHAR*>(heapCalloc(std::size_t(length) + 1, sizeof(WCHAR)));
}

bool isBlank(WCHAR c) { return classOf(c) == CharClass::Blank || (c >= 0x80 && iswspace(c)); }

LONG scanSymbol(SymContext* s) {
  if (s->chPendingQuote) return scanLiteral(s, true);
  s->nAlphaLen = 0;
  s->nAlphaLenUnTranslated = 0;
  ULONG column = s->nColumnNo;
  WCHAR c;
  while (isBlank(c = s->pszLine[column])) ++column;
  s->nColumnNo = column;
  switch (classOf(c)) {
    case CharClass::End: return finishSymbol(s, SYM_EOL);
    case CharClass::Quote: return scanLiteral(s, false);
    case CharClass::Digit: return scanNumber(s);
    case CharClass::Letter: return scanIdentifier(s);
    default:
      if (c == u'@' && s->nMode == SYM_MODE_DOTTED_EXTENDED) return scanIdentifier(s);
      return finishSymbol(s, isCLike(s->nMode) ? scanCOperator(s) : scanDottedOperator(s));
  }
}

}  // namespace
}  // namespace qel::scanner

using namespace qel::scanner;

extern "C" {

DWORD QEL_CDECL SymInit(SymContext* pSym, ULONG nMaxIdentLen, ULONG nMaxAlphaLen, ULONG bUpperCaseKeywords,
                        LONG nMode) {
  pSym->pKeywords = BTCreate(compareKeywords, LONG(sizeof(SymKeyword)));
  if (!pSym->pKeywords) return QEL_E_OUTOFMEMORY;
  pSym->nMaxIdentLen = nMaxIdentLen < nMaxAlphaLen ? nMaxIdentLen : nMaxAlphaLen;
  pSym->nMaxAlphaLen = nMaxAlphaLen;
  pSym->nColumnNo = 0;
  pSym->nSym = SYM_EOL;
  pSym->nCommentLevel = 0;
  pSym->bLineComment = 0;
  pSym->pszLine = nullptr;
  pSym->nAlphaLen = 0;
  pSym->nAlphaLenUnTranslated = 0;
  pSym->nEscapeMode = SYM_ESCAPE_STANDARD;
  pSym->bUpperCaseKeywords = bUpperCaseKeywords;
  pSym->nMode = nMode;
  pSym->sShort = 0;
  pSym->usUShort = 0;
  pSym->lLong = 0;
  pSym->ulULong = 0;
  pSym->dDouble = 0.0;

  DWORD result = QEL_S_OK;
  pSym->pszAlpha = allocateText(nMaxAlphaLen);
  pSym->pszAlphaUpper = allocateText(nMaxAlphaLen);
  pSym->pszAlphaUnTranslated = allocateText(nMaxAlphaLen);
  if (!pSym->pszAlpha || !pSym->pszAlphaUpper || !pSym->pszAlphaUnTranslated) result = QEL_E_OUTOFMEMORY;
  if (isDotted(nMode))
    for (const SymKeyword& k : kLogicalKeywords)
      if (result == QEL_S_OK) result = SymSetKeyword(pSym, &k);
  pSym->chPendingQuote = 0;
  return result;
}

DWORD QEL_CDECL SymSetKeyword(SymContext* pSym, const SymKeyword* pKeyword) {
  return BTInsert(pSym->pKeywords, pKeyword) ? QEL_S_OK : QEL_E_OUTOFMEMORY;
}

void QEL_CDECL SymReset(SymContext* pSym) { pSym->chPendingQuote = 0; }

void QEL_CDECL SymNewLine(SymContext* pSym, const WCHAR* pszLine) {
  pSym->pszLine = pszLine;
  pSym->nColumnNo = 0;
}

LONG QEL_CDECL SymGetNextSymAll(SymContext* pSym) {
  if (!isCLike(pSym->nMode) && !isDotted(pSym->nMode)) return 0;
  return scanSymbol(pSym);
}

LONG QEL_CDECL SymGetNextSym(SymContext* pSym) {
  if (!isCLike(pSym->nMode) && !isDotted(pSym->nMode)) return pSym->nSym;
  for (;;) {
    const LONG code = scanSymbol(pSym);
    const bool inComment = pSym->nCommentLevel > 0 || pSym->bLineComment;
    switch (code) {
      case SYM_EOL: pSym->bLineComment = 0; return code;
      case SYM_LINE_COMMENT:
        if (pSym->nCommentLevel == 0) pSym->bLineComment = 1;
        continue;
      case SYM_COMMENT_OPEN:
        if (!pSym->bLineComment) pSym->nCommentLevel++;
        continue;
      case SYM_COMMENT_CLOSE:
        if (!pSym->bLineComment && pSym->nCommentLevel > 0) {
          pSym->nCommentLevel--;
          continue;
        }
        break;
      case SYM_ERROR_STRING:
      case SYM_ERROR_CHARACTER:
        // A quote inside a comment (say "don't") would otherwise continue
        // its literal for ever: inside comments it ends with the line.
        if (inComment && current(pSym) == 0) pSym->chPendingQuote = 0;
        break;
      default: break;
    }
    if (!inComment) return code;
  }
}

void QEL_CDECL SymRelease(SymContext* pSym) {
  qel::heapFree(pSym->pszAlpha);
  qel::heapFree(pSym->pszAlphaUpper);
  qel::heapFree(pSym->pszAlphaUnTranslated);
  pSym->pszAlpha = pSym->pszAlphaUpper = pSym->pszAlphaUnTranslated = nullptr;
  BTDestroy(pSym->pKeywords, nullptr);
  pSym->pKeywords = nullptr;
}

}  // extern "C"
