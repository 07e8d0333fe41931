/*
 * What the scanner's parts share: reading the line and filling the three
 * text buffers, which hold nMaxAlphaLen characters plus the terminator.
 */
#ifndef QELBASE_SCANNER_TEXT_H
#define QELBASE_SCANNER_TEXT_H

#include <array>

#include "frame/Characters.h"
#include "scanner/Symbol.h"

namespace qel::scanner {

inline WCHAR current(const SymContext* s) { return s->pszLine[s->nColumnNo]; }
inline WCHAR peek(const SymContext* s, ULONG ahead) { return s->pszLine[s->nColumnNo + ahead]; }

// Appends to pszAlpha if there is room; excess characters are dropped.
inline void putAlpha(SymContext* s, WCHAR c) {
  if (s->nAlphaLen < s->nMaxAlphaLen) s->pszAlpha[s->nAlphaLen++] = c;
}
inline void putRaw(SymContext* s, WCHAR c) {
  if (s->nAlphaLenUnTranslated < s->nMaxAlphaLen) s->pszAlphaUnTranslated[s->nAlphaLenUnTranslated++] = c;
}
// Appends the next n characters of the line to pszAlpha (as far as there is
// room) and moves past them.
inline void takeChars(SymContext* s, ULONG n) {
  const WCHAR* from = s->pszLine + s->nColumnNo;
  ULONG length = s->nAlphaLen;
  for (ULONG i = 0; i < n && length < s->nMaxAlphaLen; ++i) s->pszAlpha[length++] = from[i];
  s->nAlphaLen = length;
  s->nColumnNo += n;
}

// What an ASCII character begins: one load and one jump pick the way
// through a symbol, where a chain of tests would guess wrong at each link.
enum class CharClass : unsigned char { Other, End, Blank, Quote, Digit, Letter };

constexpr std::array<CharClass, 128> kCharClasses = [] {
  std::array<CharClass, 128> classes{};
  classes[0] = CharClass::End;
  for (WCHAR c : {u' ', u'\t', u'\n', u'\v', u'\f', u'\r', u'\x1A'}) classes[c] = CharClass::Blank;
  classes[u'"'] = classes[u'\''] = CharClass::Quote;
  for (WCHAR c = u'0'; c <= u'9'; ++c) classes[c] = CharClass::Digit;
  for (WCHAR c = u'a'; c <= u'z'; ++c) classes[c] = classes[c - 0x20] = CharClass::Letter;
  classes[u'_'] = CharClass::Letter;
  return classes;
}();

// Characters beyond ASCII are Other; the scanner asks the runtime about
// their blanks.
inline CharClass classOf(WCHAR c) { return c < 0x80 ? kCharClasses[c] : CharClass::Other; }

inline bool isDigit(WCHAR c) { return isDecimalDigit(c); }
inline int hexValue(WCHAR c) { return hexDigitValue(c); }

// Every symbol ends here: all three buffers terminated at their lengths,
// the upper-case copy emptied unless an identifier filled it.
inline LONG finishSymbol(SymContext* s, LONG code, bool keepUpper = false) {
  s->pszAlpha[s->nAlphaLen] = 0;
  s->pszAlphaUnTranslated[s->nAlphaLenUnTranslated] = 0;
  if (!keepUpper) s->pszAlphaUpper[0] = 0;
  s->nSym = code;
  return code;
}

// Workers shared between the scanner frame and the exported entry points.
bool scanLiteralBody(SymContext* s);  // true when the closing quote was reached
LONG scanLiteral(SymContext* s, bool resume);
LONG scanNumber(SymContext* s);
LONG scanIdentifier(SymContext* s);
// Exact, case-sensitive order of SymKeyword entries by their text.
LONG QEL_CDECL compareKeywords(const void* pProbe, const void* pElem);
LONG scanCOperator(SymContext* s);
LONG scanDottedOperator(SymContext* s);

}  // namespace qel::scanner

#endif
