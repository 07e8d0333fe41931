/* The FM readers: numbers out of display text, skipping what they do not know. */
#include "format/NumberFormat.h"

namespace {

constexpr double kPowersOfTen[20] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                     1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};

bool isDigit(WCHAR c) { return c >= '0' && c <= '9'; }

// Digits and signs only; the 32-bit value wraps.
ULONG readDigits(const WCHAR* text, bool& negative) {
  ULONG value = 0;
  negative = false;
  for (; text && *text; ++text) {
    if (*text == '+' || *text == '-') negative = *text == '-';
    if (isDigit(*text)) value = value * 10u + ULONG(*text - '0');
  }
  return value;
}

}  // namespace

extern "C" {

double QEL_CDECL FMToDouble(const WCHAR* pszText) {
  double value = 0.0, sign = 1.0;
  int fraction = 0;
  bool inFraction = false;
  for (const WCHAR* p = pszText; p && *p; ++p) {
    WCHAR c = *p;
    if (c == '+' || c == '-') {
      sign = c == '-' ? -1.0 : 1.0;
    } else if (c == '.' || c == ',') {
      inFraction = true;
      fraction = 0;
    } else if (isDigit(c)) {
      value = value * 10.0 + (c - '0');
      if (inFraction) ++fraction;
    }
  }
  value *= sign;
  // The table ends at 10^19; longer fractions are divided down in steps.
  for (; fraction > 19; fraction -= 19) value /= kPowersOfTen[19];
  return value / kPowersOfTen[fraction];
}

LONG QEL_CDECL FMToLong(const WCHAR* pszText) {
  bool negative;
  ULONG value = readDigits(pszText, negative);
  return LONG(negative ? 0u - value : value);
}

LONG QEL_CDECL FMToInt(const WCHAR* pszText) { return FMToLong(pszText); }

ULONG QEL_CDECL FMToUInt(const WCHAR* pszText) {
  bool ignored;
  return readDigits(pszText, ignored);
}

ULONG QEL_CDECL FMToULong(const WCHAR* pszText) { return FMToUInt(pszText); }

}  // extern "C"
