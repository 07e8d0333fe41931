/* ASCII character classes and the escape letters the scanners share. */
#ifndef QELBASE_CHARACTERS_H
#define QELBASE_CHARACTERS_H

#include <qel/win32.h>

namespace qel {

inline bool isDecimalDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }
inline bool isOctalDigit(WCHAR c) { return c >= u'0' && c <= u'7'; }

// 0 to 15 for a hexadecimal digit of either case, else -1.
inline int hexDigitValue(WCHAR c) {
  if (isDecimalDigit(c)) return c - u'0';
  WCHAR lower = WCHAR(c | 0x20);
  return lower >= u'a' && lower <= u'f' ? lower - u'a' + 10 : -1;
}

// The control character of a C escape letter (a b f n r t v), else -1.
inline int controlEscapeValue(WCHAR c) {
  switch (c) {
    case u'a': return 7;
    case u'b': return 8;
    case u'f': return 12;
    case u'n': return 10;
    case u'r': return 13;
    case u't': return 9;
    case u'v': return 11;
    default: return -1;
  }
}

}  // namespace qel

#endif
