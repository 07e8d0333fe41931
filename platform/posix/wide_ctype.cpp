/*
 * iswspace / towupper / towlower for UTF-16 code units, as the Microsoft
 * runtime gives them: in the "C" locale only a-z and A-Z change case; a
 * language locale maps the letters of the Latin, Greek and Cyrillic blocks.
 */
#include <qel/wcrt.h>

#include "crt_locale.h"
#include "wide_case.h"

namespace {

bool languageCase() { return qel::posix::crtLocale(LC_CTYPE) != nullptr; }

// Ranges where upper and lower case form pairs at a fixed distance.
struct CaseRange {
  char16_t lowerFirst, lowerLast;
  int distance;      // upper = lower - distance
  bool alternating;  // pairs (even upper, odd lower) instead of a block
};

constexpr CaseRange kCaseRanges[] = {
    {u'\u00E0', u'\u00FE', 0x20, false}, {u'\u0101', u'\u012F', 1, true},
    {u'\u0133', u'\u0137', 1, true},     {u'\u013A', u'\u0148', 1, true},
    {u'\u014B', u'\u0177', 1, true},     {u'\u017A', u'\u017E', 1, true},
    {u'\u03B1', u'\u03C9', 0x20, false}, {u'\u0430', u'\u044F', 0x20, false},
    {u'\u0450', u'\u045F', 0x50, false}, {u'\u0461', u'\u0481', 1, true},
    {u'\u048B', u'\u04BF', 1, true},
};

bool inRange(const CaseRange& r, char16_t lower) {
  if (lower < r.lowerFirst || lower > r.lowerLast) return false;
  if (lower == u'\u00F7' || lower == u'\u03C2') return false;  // division sign, final sigma
  return !r.alternating || ((lower - r.lowerFirst) % 2 == 0);
}

}  // namespace

int iswspace(WCHAR c) {
  if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
  return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
         c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Letters of the Latin, Greek and Cyrillic blocks and the CJK ideographs;
// enough for the day and month names of every locale the table carries.
int iswalpha(WCHAR c) {
  if (c < 0x80) return (c | 0x20) >= u'a' && (c | 0x20) <= u'z';
  if (c < 0x100) return c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
  return (c <= 0x2AF) || (c >= 0x370 && c <= 0x3FF && c != 0x37E && c != 0x387) ||
         (c >= 0x400 && c <= 0x52F) || (c >= 0x4E00 && c <= 0x9FFF);
}

char16_t qel::posix::upperLetter(char16_t c) {
  if (c >= u'a' && c <= u'z') return char16_t(c - 0x20);
  if (c < 0x80) return c;
  if (c == u'\u00FF') return u'\u0178';
  for (const CaseRange& r : kCaseRanges)
    if (inRange(r, c)) return char16_t(c - r.distance);
  return c;
}

WCHAR towupper(WCHAR c) { return c < 0x80 || languageCase() ? qel::posix::upperLetter(c) : c; }

WCHAR towlower(WCHAR c) {
  if (c >= u'A' && c <= u'Z') return WCHAR(c + 0x20);
  if (c < 0x80 || !languageCase()) return c;
  if (c == u'\u0178') return u'\u00FF';
  for (const CaseRange& r : kCaseRanges)
    if (c + r.distance <= 0xFFFF && inRange(r, char16_t(c + r.distance))) return WCHAR(c + r.distance);
  return c;
}
