/*
 * Numbers and dates to text, text to a number, and the runtime library's
 * locale, which decides the decimal separator and the case mapping.
 */
#include <qel/wcrt.h>

#include "datetime/DateTime.h"
#include "frame/Heap.h"
#include "strings/StringObject.h"

namespace {

constexpr int kNumberLimit = 512;  // longest text of a formatted double

template <class... Args>
TS formatNumber(TS ts, const WCHAR* format, Args... args) {
  WCHAR buffer[kNumberLimit + 1];
  _snwprintf(buffer, kNumberLimit, format, args...);
  buffer[kNumberLimit] = 0;  // a cut text is left unterminated by the formatter
  return TSSetStr(ts, buffer);
}

}  // namespace

extern "C" {

TS QEL_CDECL TSFromInt(TS ts, INT nValue) { return TSFromLong(ts, LONG(nValue)); }

TS QEL_CDECL TSFromLong(TS ts, LONG nValue) {
  WCHAR buffer[40];
  _snwprintf(buffer, 40, QEL_W("%ld"), nValue);
  return TSSetStr(ts, buffer);
}

TS QEL_CDECL TSFromULong(TS ts, ULONG nValue) {
  WCHAR buffer[40];
  _snwprintf(buffer, 40, QEL_W("%lu"), nValue);
  return TSSetStr(ts, buffer);
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
  _snwprintf(block, kNumberLimit, pszFormat, dValue);
  TS result = TSSetStr(ts, block);
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
