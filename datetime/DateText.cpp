/*
 * Date/time values to text through the platform's formatters, and back by
 * the library's own picture-driven parser.  Both use the system default
 * locale, never the user's.
 */
#include <qel/wcrt.h>

#include "datetime/DateTime.h"

namespace {

// The length (without terminator) a formatter reports; a part the
// formatter refuses counts as empty.
int partLength(int reported) { return reported > 0 ? reported - 1 : 0; }

struct Parts {
  const SYSTEMTIME* when;
  const WCHAR* datePicture;
  const WCHAR* timePicture;
  bool date, time;

  int formatDate(WCHAR* out, int room) const {
    return partLength(GetDateFormatW(LOCALE_SYSTEM_DEFAULT, datePicture ? 0 : LOCALE_NOUSEROVERRIDE, when,
                                     datePicture, out, room));
  }
  int formatTime(WCHAR* out, int room) const {
    return partLength(GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, timePicture ? 0 : LOCALE_NOUSEROVERRIDE, when,
                                     timePicture, out, room));
  }
};

// ---- the parser ------------------------------------------------------------

enum class Element { Day, DayName, Month, Year, Hour, Minute, Second, Marker, Era, Count };

bool isDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }

// Skips to the next digit, then reads up to maxDigits of them.
unsigned readDigits(const WCHAR*& t, unsigned maxDigits) {
  while (*t && !isDigit(*t)) ++t;
  unsigned value = 0;
  for (unsigned n = 0; n < maxDigits && isDigit(*t); ++n) value = value * 10 + unsigned(*t++ - u'0');
  return value;
}

// Skips to the next letter, then takes up to maxLength letters or digits and
// returns the number (1-based) of the first locale name equal to it,
// without regard to case; 0 when none is.
unsigned readName(const WCHAR*& t, unsigned maxLength, LCTYPE firstName, unsigned names) {
  while (*t && !iswalpha(*t)) ++t;
  const WCHAR* word = t;
  unsigned length = 0;
  while (length < maxLength && (iswalpha(*t) || isDigit(*t))) ++t, ++length;
  for (unsigned k = 1; k <= names; ++k) {
    WCHAR name[40];
    if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, firstName + k - 1, name, 40)) continue;
    unsigned i = 0;
    while (i < length && name[i] && towlower(name[i]) == towlower(word[i])) ++i;
    if (i == length && name[i] == 0) return k;
  }
  return 0;
}

unsigned runLimit(WCHAR c) {
  switch (c) {
    case u'd':
    case u'M':
    case u'y': return 4;
    case u'h':
    case u'H':
    case u'm':
    case u's':
    case u't':
    case u'g': return 2;
    default: return 0;
  }
}

Element elementOf(WCHAR c, unsigned run) {
  switch (c) {
    case u'd': return run <= 2 ? Element::Day : Element::DayName;
    case u'M': return Element::Month;
    case u'y': return Element::Year;
    case u'h':
    case u'H': return Element::Hour;
    case u'm': return Element::Minute;
    case u's': return Element::Second;
    case u't': return Element::Marker;
    default: return Element::Era;
  }
}

// Reads one element into v; false when its check fails.
bool readElement(const WCHAR*& t, WCHAR c, unsigned run, SYSTEMTIME& v) {
  switch (c) {
    case u'd':
      if (run <= 2) {
        v.wDay = WORD(readDigits(t, 2));
        return v.wDay >= 1 && v.wDay <= 31;
      }
      // Monday is the first name, Sunday (0) the seventh; no match is no failure.
      if (unsigned k =
              readName(t, run == 3 ? 3 : 40, run == 3 ? LOCALE_SABBREVDAYNAME1 : LOCALE_SDAYNAME1, 7))
        v.wDayOfWeek = WORD(k % 7);
      return true;
    case u'M':
      if (run <= 2)
        v.wMonth = WORD(readDigits(t, 2));
      else
        v.wMonth = WORD(
            readName(t, run == 3 ? 3 : 40, run == 3 ? LOCALE_SABBREVMONTHNAME1 : LOCALE_SMONTHNAME1, 12));
      return v.wMonth >= 1 && v.wMonth <= 12;
    case u'y': v.wYear = run <= 2 ? WORD(1900 + readDigits(t, 2)) : WORD(readDigits(t, 4)); return true;
    case u'h': v.wHour = WORD(readDigits(t, 2)); return v.wHour <= 11;
    case u'H': v.wHour = WORD(readDigits(t, 2)); return v.wHour <= 23;
    case u'm': v.wMinute = WORD(readDigits(t, 2)); return v.wMinute <= 59;
    case u's': v.wSecond = WORD(readDigits(t, 2)); return v.wSecond <= 59;
    default:  // t, tt and the era read nothing
      return true;
  }
}

}  // namespace

extern "C" {

WCHAR* QEL_CDECL TDToString(const SYSTEMTIME* td, const WCHAR* pszDatePicture, const WCHAR* pszTimePicture,
                            WCHAR* pszBuffer, LONG* pnSize) {
  if (!pnSize) return nullptr;
  SYSTEMTIME now;
  if (!td) {
    GetLocalTime(&now);  // one moment for both parts
    td = &now;
  }
  const Parts parts{td, pszDatePicture, pszTimePicture, pszDatePicture || !pszTimePicture,
                    pszTimePicture || !pszDatePicture};
  const LONG needed =
      1 + (parts.date ? parts.formatDate(nullptr, 0) : 0) + (parts.time ? parts.formatTime(nullptr, 0) : 0);
  if (!pszBuffer || *pnSize < needed) {
    *pnSize = needed;
    return nullptr;
  }
  int k = 0;
  if (parts.date) k = parts.formatDate(pszBuffer, *pnSize);
  if (parts.time) k += parts.formatTime(pszBuffer + k, *pnSize - k);
  pszBuffer[k] = 0;
  return pszBuffer;
}

TD QEL_CDECL TDFromString(const WCHAR* pszText, const WCHAR* pszPicture, TD target) {
  if (!pszText || !target) return nullptr;
  WCHAR shortDate[100] = {};
  if (!pszPicture) {
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SSHORTDATE, shortDate, 100);
    pszPicture = shortDate;
  }
  SYSTEMTIME v{};
  bool read[size_t(Element::Count)] = {};
  const WCHAR* t = pszText;
  for (const WCHAR* p = pszPicture; *p;) {
    const WCHAR c = *p;
    const unsigned limit = runLimit(c);
    if (limit == 0) {  // a literal, quotes included: the text must have it
      if (*t != c) return nullptr;
      ++t, ++p;
      continue;
    }
    unsigned run = 1;
    while (run < limit && p[run] == c) ++run;
    p += run;
    bool& done = read[size_t(elementOf(c, run))];
    if (done) continue;  // each kind is read once; later ones are passed over
    done = true;
    if (!readElement(t, c, run, v)) return nullptr;
  }
  *target = v;
  return target;
}

}  // extern "C"
