/*
 * Numbers and dates to text, text to a number, and the runtime library's
 * locale, which decides the decimal separator and the case mapping.
 */
#include <qel/wcrt.h>

#include <cerrno>

#include "datetime/DateTime.h"
#include "frame/Heap.h"
#include "strings/StringObject.h"

namespace {

constexpr int kNumberLimit = 512;  // longest text of a formatted double

// The runtime's text of the arguments in `size` characters, always ended
// (a cut text is left unterminated by the formatter); false when the
// runtime ran out of memory, and the operation then fails.
template <class... Args>
bool formatted(WCHAR* buffer, int size, const WCHAR* format, Args... args) {
  buffer[0] = 0;
  errno = 0;
  const int n = _snwprintf(buffer, size_t(size - 1), format, args...);
  buffer[size - 1] = 0;
  return n >= 0 || errno != ENOMEM;
}

template <class... Args>
TS formatNumber(TS ts, const WCHAR* format, Args... args) {
  WCHAR buffer[kNumberLimit + 1];
  return formatted(buffer, kNumberLimit + 1, format, args...) ? TSSetStr(ts, buffer) : nullptr;
}

}  // namespace

extern "C" {

TS QEL_CDECL TSFromInt(TS ts, INT nValue) { return TSFromLong(ts, LONG(nValue)); }

TS QEL_CDECL TSFromLong(TS ts, LONG nValue) {
  WCHAR buffer[40];
  return formatted(buffer, 40, QEL_W("%ld"), nValue) ? TSSetStr(ts, buffer) : nullptr;
}

TS QEL_CDECL TSFromULong(TS ts, ULONG nValue) {
  WCHAR buffer[40];
  return formatted(buffer, 40, QEL_W("%lu"), nValue) ? TSSetStr(ts, buffer) : nullptr;
}

TS QEL_CDECL TSFromDouble(TS ts, double dValue) { return formatNumber(ts, QEL_W("%lf"), dValue); }

TS QEL_CDECL TSFromDoubleFmt(TS ts, double dValue, LONG nDecimals) {
  return formatNumber(ts, QEL_W("%.*lf"), int(nDecimals), dValue);
}

TS QEL_CDECL TSStr(TS ts, double dValue, LONG nWidth, LONG nDecimals) {
  if (nDecimals >= 0) return formatNumber(ts, QEL_W("%*.*f"), int(nWidth), int(nDecimals), dValue);
  return formatNumber(ts, QEL_W("%*.*e"), int(nWidth), int(-LONGLONG(nDecimals)), dValue);
}

TS QEL_CDECL TSCStr(TS ts, double dValue, const WCHAR* pszFormat) {
  auto* block = static_cast<WCHAR*>(qel::heapCalloc(kNumberLimit + 1, sizeof(WCHAR)));
  if (!block) return nullptr;
  TS result = formatted(block, kNumberLimit + 1, pszFormat, dValue) ? TSSetStr(ts, block) : nullptr;
  qel::heapFree(block);
  return result;
}

TS QEL_CDECL TSFromDate(TS ts, const SYSTEMTIME* td) {
  WCHAR picture[100] = {};
  GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SSHORTDATE, picture, 100);
  WCHAR text[100];
  LONG size = 100;
  // A date too long for the buffer gives an empty text.
  if (!TDToString(td, picture, nullptr, text, &size)) return TSInit(ts);
  return TSSetStr(ts, text);
}

double QEL_CDECL TSVal(const TSString* ts) { return ts->nSize ? wcstod(ts->pText, nullptr) : 0.0; }

WCHAR* QEL_CDECL TSSetLocale(INT nCategory, const WCHAR* pszLocale) {
  return _wsetlocale(nCategory, pszLocale);
}

}  // extern "C"
