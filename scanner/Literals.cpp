/*
 * Numbers, string and character literals, and the two escape dialects.
 * A number's fraction is summed digit by digit in double precision, as the
 * scanner has always done, rather than rounded correctly from decimal.
 */
#include "frame/EscapeReader.h"
#include "scanner/ScannerText.h"

namespace qel::scanner {
namespace {

constexpr ULONGLONG kMaxULong = 0xFFFFFFFFull;

// Takes the next character of an escape sequence into the raw text.
WCHAR takeNext(SymContext* s) {
  s->nColumnNo++;
  WCHAR c = current(s);
  putRaw(s, c);
  return c;
}

LONG classifyInteger(SymContext* s) {
  ULONG v = s->ulULong;
  if (v <= 32767) {
    s->sShort = SHORT(v);
    return SYM_SHORT;
  }
  if (v <= 65535) {
    s->usUShort = USHORT(v);
    return SYM_USHORT;
  }
  if (v <= 2147483647u) {
    s->lLong = LONG(v);
    return SYM_LONG;
  }
  return SYM_ULONG;
}

// Reads the digit under the cursor into the number's text; false when the
// text is full (the digit is then consumed but lost, and the number fails).
bool takeDigit(SymContext* s, WCHAR c) {
  s->nColumnNo++;
  if (alphaFull(s)) return false;
  s->pszAlpha[s->nAlphaLen++] = c;
  return true;
}

LONG scanPrefixed(SymContext* s, unsigned base) {
  bool anyDigit = false;
  for (;;) {
    WCHAR c = current(s);
    int digit = base == 16 ? hexValue(c) : (c == u'0' || c == u'1') ? c - u'0' : -1;
    if (digit < 0) break;
    if (!takeDigit(s, c)) return SYM_ERROR_NUMBER;
    ULONGLONG v = ULONGLONG(s->ulULong) * base + unsigned(digit);
    if (v > kMaxULong) return SYM_ERROR_NUMBER;
    s->ulULong = ULONG(v);
    anyDigit = true;
  }
  return anyDigit ? classifyInteger(s) : SYM_ERROR_NUMBER;
}

LONG scanDecimal(SymContext* s) {
  bool floating = false;
  WCHAR c;
  while (isDigit(c = current(s))) {
    if (!takeDigit(s, c)) return SYM_ERROR_NUMBER;
    unsigned digit = c - u'0';
    if (floating) {
      s->dDouble = s->dDouble * 10.0 + digit;
      continue;
    }
    ULONGLONG v = ULONGLONG(s->ulULong) * 10 + digit;
    if (v > kMaxULong) {
      floating = true;
      s->dDouble = double(s->ulULong) * 10.0 + digit;
      s->nSym = SYM_DOUBLE;
    } else {
      s->ulULong = ULONG(v);
    }
  }
  if (c != u'.') return floating ? SYM_ERROR_NUMBER : classifyInteger(s);
  if (!floating) s->dDouble = double(s->ulULong);
  s->nSym = SYM_DOUBLE;
  if (alphaFull(s)) return SYM_ERROR_NUMBER;
  s->pszAlpha[s->nAlphaLen++] = u'.';
  s->nColumnNo++;
  double scale = 1.0;
  while (isDigit(c = current(s))) {
    if (!takeDigit(s, c)) return SYM_ERROR_NUMBER;
    scale *= 10.0;
    s->dDouble += (c - u'0') / scale;
  }
  return SYM_DOUBLE;
}

// The scanner's own cursor: what it advances over goes into the raw text.
struct RawCursor {
  SymContext* s;
  WCHAR peek(ULONG ahead) const { return scanner::peek(s, ahead); }
  WCHAR next() const { return takeNext(s); }
};

WCHAR standardEscape(SymContext* s) {
  if (peek(s, 1) == 0) return u'\\';  // a backslash that ends the line is kept as it is
  RawCursor cursor{s};
  return readEscape(cursor, EscapeDigits{3, 2});
}

WCHAR strictEscape(SymContext* s) {
  WCHAR c = peek(s, 1);
  if (isOctalDigit(c)) {
    unsigned v = 0;
    ULONG n = 0;
    for (; n < 3 && isOctalDigit(peek(s, 1 + n)); ++n) v = v * 8 + unsigned(peek(s, 1 + n) - u'0');
    if (v >= 256) return takeNext(s);  // no escape: the first digit stands for itself
    for (ULONG i = 0; i < n; ++i) takeNext(s);
    return WCHAR(v);
  }
  if (c == u'8' || c == u'9') return takeNext(s);
  if (c == u'x') {
    int high = hexValue(peek(s, 2));
    int low = high < 0 ? -1 : hexValue(peek(s, 3));
    takeNext(s);
    if (low < 0) return u'x';
    takeNext(s);
    takeNext(s);
    return WCHAR(high * 16 + low);
  }
  return standardEscape(s);
}

}  // namespace

bool scanLiteralBody(SymContext* s) {
  const WCHAR quote = s->chPendingQuote;
  const bool strict = s->nEscapeMode == SYM_ESCAPE_STRICT;
  for (;;) {
    WCHAR c = current(s);
    if (c == 0) return false;
    if (c == quote) {
      s->nColumnNo++;
      return true;
    }
    putRaw(s, c);
    if (c == u'\\') c = strict ? strictEscape(s) : standardEscape(s);
    putAlpha(s, c);
    s->nColumnNo++;
  }
}

LONG scanLiteral(SymContext* s, bool resume) {
  if (!resume) {
    s->chPendingQuote = current(s);
    s->nColumnNo++;
  }
  const bool isString = s->chPendingQuote == u'"';
  const bool closed = scanLiteralBody(s);
  LONG code;
  if (isString)
    code = closed ? SYM_STRING : SYM_ERROR_STRING;
  else
    code = closed && s->nAlphaLen == 1 ? SYM_CHARACTER : SYM_ERROR_CHARACTER;
  if (code == SYM_STRING || code == SYM_CHARACTER) s->chPendingQuote = 0;
  return finishSymbol(s, code);
}

LONG scanNumber(SymContext* s) {
  const WCHAR first = current(s);
  s->nSym = SYM_ULONG;
  putAlpha(s, first);
  s->ulULong = ULONG(first - u'0');
  s->nColumnNo++;
  LONG code;
  WCHAR next = current(s);
  if (first != u'0' || next == u'.') {
    code = scanDecimal(s);
  } else if (next == u'x' || next == u'X' || next == u'b' || next == u'B') {
    putAlpha(s, next);
    s->nColumnNo++;
    code = scanPrefixed(s, (next | 0x20) == u'x' ? 16 : 2);
  } else {
    code = classifyInteger(s);  // "012" is 0, then 12: there are no octal literals
  }
  return finishSymbol(s, code);
}

}  // namespace qel::scanner

using namespace qel::scanner;

extern "C" {

void QEL_CDECL SymScanNumber(SymContext* pSym) { scanNumber(pSym); }

void QEL_CDECL SymScanString(SymContext* pSym) {
  pSym->nColumnNo++;
  scanLiteralBody(pSym);
  pSym->pszAlpha[pSym->nAlphaLen] = 0;
  pSym->pszAlphaUnTranslated[pSym->nAlphaLenUnTranslated] = 0;
}

WCHAR QEL_CDECL SymEscapeSeq(SymContext* pSym) { return standardEscape(pSym); }

}  // extern "C"
