/*
 * Identifiers and the keyword table.  Mode 1 widens the identifier
 * characters with '@', the German letters and a closing '$'.
 */
#include <qel/wcrt.h>

#include "containers/BalancedTree.h"
#include "scanner/ScannerText.h"

namespace qel::scanner {
namespace {

bool isGermanLetter(WCHAR c) {
  switch (c) {
    case u'\u00C4':
    case u'\u00D6':
    case u'\u00DC':
    case u'\u00E4':
    case u'\u00F6':
    case u'\u00FC':
    case u'\u00DF': return true;
    default: return false;
  }
}

bool continuesIdentifier(bool extended, WCHAR c) {
  const CharClass k = classOf(c);
  if (k == CharClass::Letter || k == CharClass::Digit) return true;
  return extended && (c == u'@' || c == u'$' || isGermanLetter(c));
}

WCHAR upperCase(WCHAR c) {
  if (c < 0x80) return c >= u'a' && c <= u'z' ? WCHAR(c - 0x20) : c;
  return towupper(c);
}

}  // namespace

LONG scanIdentifier(SymContext* s) {
  const bool extended = s->nMode == SYM_MODE_DOTTED_EXTENDED;
  const bool cLike = s->nMode == SYM_MODE_C || s->nMode == SYM_MODE_C_ALT;
  // The dotted dialects have no length limit of their own; a name longer
  // than the buffers goes on as a further identifier, as in the C-like ones.
  const ULONG limit = cLike ? s->nMaxIdentLen : s->nMaxAlphaLen;
  const WCHAR* const line = s->pszLine;
  ULONG column = s->nColumnNo;
  const ULONG room = s->nMaxAlphaLen;
  ULONG len = 0;
  for (;;) {
    const WCHAR c = line[column++];
    if (len < room) {
      s->pszAlpha[len] = c;
      s->pszAlphaUpper[len] = upperCase(c);
    }
    ++len;
    if ((extended && c == u'$') || len >= limit || !continuesIdentifier(extended, line[column])) break;
  }
  s->nColumnNo = column;
  s->nAlphaLen = len < s->nMaxAlphaLen ? len : s->nMaxAlphaLen;
  s->pszAlpha[s->nAlphaLen] = 0;
  s->pszAlphaUpper[s->nAlphaLen] = 0;

  LONG code = SYM_IDENTIFIER;
  if (BTCount(s->pKeywords) > 0) {
    SymKeyword probe{s->bUpperCaseKeywords ? s->pszAlphaUpper : s->pszAlpha, 0};
    auto* hit = static_cast<const SymKeyword*>(BTSearch(s->pKeywords, &probe));
    if (hit) code = hit->nSym;
  }
  return finishSymbol(s, code, true);
}

LONG QEL_CDECL compareKeywords(const void* pProbe, const void* pElem) {
  const WCHAR* a = static_cast<const SymKeyword*>(pProbe)->pszKeyword;
  const WCHAR* b = static_cast<const SymKeyword*>(pElem)->pszKeyword;
  while (*a && *a == *b) ++a, ++b;
  return LONG(*a) - LONG(*b);
}

}  // namespace qel::scanner
