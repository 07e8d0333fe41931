/*
 * The picture formatter.  The value is first turned into its rounded
 * fixed-point digits, then the picture is walked once, each character
 * taking the next digit, a fill, a sign place or a separator.
 */
#include <cmath>
#include <cstdio>

#include "format/NumberFormat.h"

namespace {

// A double has no non-zero digit beyond this many fraction places, so
// further places are zeros that need not be converted.
constexpr int kMaxConvertedFraction = 1080;
// Digits converted beyond the shown ones, so that the runtime's own
// rounding of the last converted digit cannot decide ours.
constexpr int kGuardDigits = 30;

// The digits of |value| rounded half away from zero to `fraction` places:
// no decimal point, `point` of them before it (zero or less for |value| < 1,
// the text then starting with the first shown fraction digit).  A value
// that rounds to zero keeps its fraction's zeros.
class FixedDigits {
 public:
  FixedDigits(double value, long long fraction) {
    const double magnitude = std::isfinite(value) ? std::fabs(value) : 0.0;
    const int converted =
        fraction < kMaxConvertedFraction ? int(fraction) + kGuardDigits : kMaxConvertedFraction;
    char* digits = text_ + 1;  // text_[0] takes a carry out of the top digit
    int n = std::snprintf(digits, sizeof text_ - 1, "%.*f", converted, magnitude);
    int integer = 0;
    while (integer < n && digits[integer] >= '0' && digits[integer] <= '9') ++integer;
    // Close up the decimal point, whatever character the C runtime used.
    int length = integer;
    for (int i = integer + 1; i < n; ++i) digits[length++] = digits[i];
    if (fraction < converted) {
      const int kept = integer + int(fraction);
      if (digits[kept] >= '5' && roundUp(digits, kept)) {
        digits = text_;
        ++integer;
        ++length;
      }
      length -= converted - int(fraction);
    }
    begin_ = int(digits - text_);
    point_ = integer;
    if (integer == 1 && digits[0] == '0') {
      int zeros = 1;
      while (zeros < length && digits[zeros] == '0') ++zeros;
      const bool allZero = zeros == length;
      // All zero: the fraction's zeros remain, the decimal point before them.
      const int dropped = allZero ? (length > 1 ? 1 : 0) : zeros;
      begin_ += dropped;
      length -= dropped;
      point_ = allZero ? 0 : 1 - zeros;
    }
    length_ = length;
  }

  long long point() const { return point_; }
  char digit(long long k) const { return k < length_ ? text_[begin_ + k] : '0'; }

  // The last non-zero digit at or after the decimal point's index.
  long long lastShown() const {
    long long from = point_ > 0 ? point_ : 0;
    for (long long k = length_ - 1; k >= from; --k)
      if (text_[begin_ + k] != '0') return k;
    return from;
  }

 private:
  // Adds one in the last kept place; true when the carry left the top digit
  // (the caller then has a new leading '1' in front of `digits`).
  static bool roundUp(char* digits, int kept) {
    for (int i = kept - 1; i >= 0; --i) {
      if (digits[i] != '9') {
        ++digits[i];
        return false;
      }
      digits[i] = '0';
    }
    digits[-1] = '1';
    return true;
  }

  char text_[2 + 310 + kMaxConvertedFraction + kGuardDigits];
  int begin_ = 0;
  long long length_ = 0;
  long long point_ = 0;
};

// The first character of a separator of the user's locale, read on first use.
class Separator {
 public:
  Separator(LCTYPE item, WCHAR fallback) : item_(item), value_(fallback) {}
  WCHAR get() {
    if (!read_) {
      WCHAR buffer[8];
      if (GetLocaleInfoW(LOCALE_USER_DEFAULT, item_, buffer, 8) > 0 && buffer[0]) value_ = buffer[0];
      read_ = true;
    }
    return value_;
  }

 private:
  LCTYPE item_;
  WCHAR value_;
  bool read_ = false;
};

bool isDigitPosition(const WCHAR* set, WCHAR c) {
  return c == set[FM_DIGIT] || c == set[FM_ALWAYS_DIGIT] || c == set[FM_ASTERISK_FILL] ||
         c == set[FM_OWN_FILL] || c == FM_LEFT_DIGIT;
}

}  // namespace

extern "C" {

LONG QEL_CDECL FMFormatDouble(const WCHAR* pFormatChars, const WCHAR* pszPicture, LONG nPictureLen,
                              double dValue, WCHAR* pszOutput, BOOL* pbFlag) {
  const WCHAR* set = pFormatChars ? pFormatChars : DefaultDblFormat;
  if (!pszPicture || !pszOutput || nPictureLen < 0) nPictureLen = 0;

  long long integerPositions = 0, fractionPositions = 0;
  bool pointSeen = false;
  for (LONG i = 0; i < nPictureLen; ++i) {
    WCHAR c = pszPicture[i];
    if (isDigitPosition(set, c)) ++(pointSeen ? fractionPositions : integerPositions);
    if (c == set[FM_DECIMAL_POINT]) pointSeen = true;
  }

  const FixedDigits digits(dValue, fractionPositions);
  const bool negative = dValue < 0;
  long long k = digits.point() - integerPositions;
  const long long lastShown = digits.lastShown();
  long long countdown = integerPositions;
  WCHAR fill = ' ';
  WCHAR sign = negative ? '-' : ' ';
  long long signAt = -1;
  bool started = false;
  Separator decimal(LOCALE_SDECIMAL, '.'), thousands(LOCALE_STHOUSAND, ',');

  LONG out = 0;
  for (LONG i = 0; i < nPictureLen; ++i) {
    WCHAR c = pszPicture[i];
    if (c == set[FM_SIGN_PLUS] || c == set[FM_SIGN_MINUS]) {
      signAt = out;
      pszOutput[out++] = fill;
      if (c == set[FM_SIGN_PLUS] && !negative) sign = '+';
    } else if (c == set[FM_ALWAYS_DIGIT]) {
      pszOutput[out++] = k < 0 ? WCHAR('0') : WCHAR(digits.digit(k));
      ++k;
      started = true;
    } else if (c == set[FM_ASTERISK_FILL] || c == set[FM_OWN_FILL]) {
      WCHAR leading = c == set[FM_ASTERISK_FILL] ? WCHAR('*') : c;
      pszOutput[out++] = k < 0 ? leading : WCHAR(digits.digit(k));
      ++k;
      started = true;
    } else if (c == set[FM_DIGIT] || c == FM_LEFT_DIGIT) {
      // The last counted position switches the fill to zeros.
      if (countdown-- == 1) {
        fill = '0';
        started = true;
      }
      if (k < 0) {
        if (c != FM_LEFT_DIGIT || fill != ' ') {
          if (!started) signAt = out;
          pszOutput[out++] = fill;
        }
      } else if (k <= lastShown) {
        pszOutput[out++] = WCHAR(digits.digit(k));
        started = true;
      } else {
        pszOutput[out++] = ' ';
      }
      ++k;
    } else if (c == set[FM_DECIMAL_POINT]) {
      pszOutput[out++] = decimal.get();
    } else if (c == set[FM_THOUSANDS]) {
      if (started) {
        pszOutput[out++] = thousands.get();
      } else {
        signAt = out;
        pszOutput[out++] = ' ';
      }
    } else {
      pszOutput[out++] = c;
    }
  }
  if (signAt >= 0) pszOutput[signAt] = sign;
  if (pbFlag) *pbFlag = lastShown <= k ? 1 : 0;
  return out;
}

LONG QEL_CDECL FMFormatInt(const WCHAR* pFormatChars, const WCHAR* pszPicture, LONG nPictureLen, LONG nValue,
                           WCHAR* pszOutput, BOOL* pbFlag) {
  return FMFormatDouble(pFormatChars, pszPicture, nPictureLen, double(nValue), pszOutput, pbFlag);
}

LONG QEL_CDECL FMFormatUInt(const WCHAR* pFormatChars, const WCHAR* pszPicture, LONG nPictureLen,
                            ULONG nValue, WCHAR* pszOutput, BOOL* pbFlag) {
  return FMFormatDouble(pFormatChars, pszPicture, nPictureLen, double(ULONGLONG(nValue)), pszOutput, pbFlag);
}

}  // extern "C"
