/*
 * Numbers, string and character literals, and the two escape dialects.
 * A number's fraction is summed digit by digit in double precision, as the
 * scanner has always done, rather than rounded correctly from decimal.
 */
#include "frame/DoubleRounding.h"
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

// The digits of a number, read with the cursor, the text's length and the
// values in registers and written back to the record once, at the end.
struct DigitReader {
  explicit DigitReader(SymContext* scanner)
      : s(scanner), column(s->nColumnNo), length(s->nAlphaLen), value(s->ulULong), real(s->dDouble) {}
  WCHAR current() const { return s->pszLine[column]; }
  // Takes the character under the cursor into the number's text; false when
  // the text is full (the character is then consumed but lost).
  bool take(WCHAR c) {
    ++column;
    if (length >= s->nMaxAlphaLen) return false;
    s->pszAlpha[length++] = c;
    return true;
  }
  LONG finish(LONG code) {
    s->nColumnNo = column;
    s->nAlphaLen = length;
    s->ulULong = value;
    s->dDouble = real;
    return code;
  }

  SymContext* s;
  ULONG column, length, value;
  double real;
};

LONG scanPrefixed(SymContext* s, unsigned base) {
  DigitReader r(s);
  bool anyDigit = false;
  for (;;) {
    const WCHAR c = r.current();
    const int digit = base == 16 ? hexValue(c) : (c == u'0' || c == u'1') ? c - u'0' : -1;
    if (digit < 0) break;
    if (!r.take(c)) return r.finish(SYM_ERROR_NUMBER);
    const ULONGLONG v = ULONGLONG(r.value) * base + unsigned(digit);
    if (v > kMaxULong) return r.finish(SYM_ERROR_NUMBER);
    r.value = ULONG(v);
    anyDigit = true;
  }
  r.finish(0);
  return anyDigit ? classifyInteger(s) : SYM_ERROR_NUMBER;
}

// Past the largest ULONG a number goes on in double precision, and is then
// an error unless a fraction follows.
LONG scanDecimal(SymContext* s) {
  DigitReader r(s);
  bool floating = false;
  WCHAR c;
  while (isDigit(c = r.current())) {
    if (!r.take(c)) return r.finish(SYM_ERROR_NUMBER);
    const unsigned digit = c - u'0';
    if (floating) {
      r.real = asDouble(asDouble(r.real * 10.0) + digit);
      continue;
    }
    const ULONGLONG v = ULONGLONG(r.value) * 10 + digit;
    if (v > kMaxULong) {
      floating = true;
      r.real = asDouble(asDouble(double(r.value) * 10.0) + digit);
    } else {
      r.value = ULONG(v);
    }
  }
  if (c != u'.') {
    r.finish(0);
    return floating ? SYM_ERROR_NUMBER : classifyInteger(s);
  }
  if (!floating) r.real = double(r.value);
  if (r.length >= s->nMaxAlphaLen) return r.finish(SYM_ERROR_NUMBER);
  r.take(c);
  double scale = 1.0;
  while (isDigit(c = r.current())) {
    if (!r.take(c)) return r.finish(SYM_ERROR_NUMBER);
    scale *= 10.0;
    r.real = asDouble(r.real + asDouble((c - u'0') / scale));
  }
  return r.finish(SYM_DOUBLE);
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
    // A run of plain characters goes into both texts with the counts in
    // registers; escapes take the general way below.
    const WCHAR* const line = s->pszLine;
    const ULONG room = s->nMaxAlphaLen;
    ULONG column = s->nColumnNo, length = s->nAlphaLen, raw = s->nAlphaLenUnTranslated;
    WCHAR c;
    while ((c = line[column]) != 0 && c != quote && c != u'\\') {
      if (raw < room) s->pszAlphaUnTranslated[raw++] = c;
      if (length < room) s->pszAlpha[length++] = c;
      ++column;
    }
    s->nColumnNo = column;
    s->nAlphaLen = length;
    s->nAlphaLenUnTranslated = raw;
    if (c == 0) return false;
    if (c == quote) {
      s->nColumnNo++;
      return true;
    }
    putRaw(s, c);
    putAlpha(s, strict ? strictEscape(s) : standardEscape(s));
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
