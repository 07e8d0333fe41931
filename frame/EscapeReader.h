/*
 * The C-style escape sequence both scanners read after a backslash; they
 * differ only in how many decimal and hexadecimal digits a code may have.
 * The cursor stands on the backslash and is left on the last character of
 * the sequence: `peek(n)` looks n characters ahead, `next()` advances one
 * character and returns it.
 */
#ifndef QELBASE_ESCAPE_READER_H
#define QELBASE_ESCAPE_READER_H

#include "frame/Characters.h"

namespace qel {

struct EscapeDigits {
  int decimal;  // digits of a decimal code, the first included
  int hex;      // digits after x; the value keeps its low 16 bits
};

template <class Cursor>
WCHAR readEscape(Cursor& cursor, EscapeDigits limits) {
  WCHAR c = cursor.next();
  if (c < u'0' || c > u'x') return c;
  if (c == u'0') {
    if (!isDecimalDigit(cursor.peek(1))) return 0;
    unsigned v = 0;
    for (int i = 0; i < 3 && isOctalDigit(cursor.peek(1)); ++i) v = v * 8 + unsigned(cursor.next() - u'0');
    return WCHAR(v);
  }
  if (isDecimalDigit(c)) {
    unsigned v = c - u'0';
    for (int i = 1; i < limits.decimal && isDecimalDigit(cursor.peek(1)); ++i)
      v = v * 10 + unsigned(cursor.next() - u'0');
    return WCHAR(v);
  }
  if (int control = controlEscapeValue(c); control >= 0) return WCHAR(control);
  if (c == u'x') {
    unsigned v = 0;
    for (int i = 0; i < limits.hex && hexDigitValue(cursor.peek(1)) >= 0; ++i)
      v = (v * 16 + unsigned(hexDigitValue(cursor.next()))) & 0xFFFF;
    return WCHAR(v);
  }
  return c;
}

}  // namespace qel

#endif
