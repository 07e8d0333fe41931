/* Date/time values and intervals as the tool reads and prints them. */
#include "DateValues.h"

#include <charconv>
#include <cstdio>

#include "datetime/DateTime.h"

namespace qel::cli {

std::string isoText(const SYSTEMTIME& v) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", v.wYear, v.wMonth, v.wDay, v.wHour,
                v.wMinute, v.wSecond, v.wMilliseconds);
  return text;
}

namespace {

// Reads up to `maxDigits` digits (at least one) into a 16-bit field.
bool readNumber(std::string_view& text, size_t maxDigits, unsigned& out) {
  size_t n = 0;
  while (n < text.size() && n < maxDigits && text[n] >= '0' && text[n] <= '9') ++n;
  if (n == 0 || std::from_chars(text.data(), text.data() + n, out).ec != std::errc() || out > 65535)
    return false;
  text.remove_prefix(n);
  return true;
}

bool expect(std::string_view& text, char c) {
  if (text.empty() || text[0] != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

// YYYY-MM-DD[(T| )HH:MM[:SS[.mmm]]], set with TDSetTime, so 2023-02-30
// becomes 2 March as the library normalises it.
bool parseValue(std::string_view text, SYSTEMTIME& v) {
  unsigned f[7] = {};
  if (!readNumber(text, 5, f[0]) || !expect(text, '-') || !readNumber(text, 2, f[1]) || !expect(text, '-') ||
      !readNumber(text, 2, f[2]))
    return false;
  if (!text.empty()) {
    if (text[0] != 'T' && text[0] != ' ') return false;
    text.remove_prefix(1);
    if (!readNumber(text, 2, f[3]) || !expect(text, ':') || !readNumber(text, 2, f[4])) return false;
    if (expect(text, ':') &&
        (!readNumber(text, 2, f[5]) || (expect(text, '.') && !readNumber(text, 3, f[6]))))
      return false;
  }
  if (!text.empty()) return false;
  TDSetTime(&v, WORD(f[0]), WORD(f[1]), WORD(f[2]), WORD(f[3]), WORD(f[4]), WORD(f[5]), WORD(f[6]));
  return true;
}

// An ISO 8601 duration: P[nY][nM][nD][T[nH][nM][n[.mmm]S]], each count a
// 16-bit field of the interval.
bool parseInterval(std::string_view text, SYSTEMTIME& interval) {
  interval = SYSTEMTIME{};
  if (!expect(text, 'P') || text.empty()) return false;
  bool timePart = false;
  while (!text.empty()) {
    if (!timePart && expect(text, 'T')) {
      timePart = true;
      if (text.empty()) return false;
      continue;
    }
    unsigned n = 0, ms = 0;
    if (!readNumber(text, 5, n)) return false;
    const bool fraction = timePart && expect(text, '.');
    if (fraction && !readNumber(text, 3, ms)) return false;
    if (text.empty()) return false;
    const char unit = text[0];
    text.remove_prefix(1);
    if (fraction && unit != 'S') return false;
    WORD* field = nullptr;
    if (!timePart)
      field = unit == 'Y'   ? &interval.wYear
              : unit == 'M' ? &interval.wMonth
              : unit == 'D' ? &interval.wDay
                            : nullptr;
    else
      field = unit == 'H'   ? &interval.wHour
              : unit == 'M' ? &interval.wMinute
              : unit == 'S' ? &interval.wSecond
                            : nullptr;
    if (!field) return false;
    *field = WORD(n);
    if (fraction) interval.wMilliseconds = WORD(ms);
  }
  return true;
}

}  // namespace qel::cli
