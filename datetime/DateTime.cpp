/* The life cycle, setters and getters of date/time values. */
#include "datetime/CalendarRules.h"
#include "frame/Heap.h"

extern "C" {

TD QEL_CDECL TDNew(void) { return static_cast<TD>(qel::heapCalloc(1, sizeof(SYSTEMTIME))); }

TD QEL_CDECL TDInit(TD td) {
  if (td) *td = SYSTEMTIME{};
  return td;
}

TD QEL_CDECL TDCopy(TD target, const SYSTEMTIME* source) {
  if (target && source) *target = *source;
  return target;
}

void QEL_CDECL TDFree(TD td) { qel::heapFree(td); }

TD QEL_CDECL TDSetInterval(TD td, WORD wYears, WORD wMonths, WORD wDays, WORD wHours, WORD wMinutes,
                           WORD wSeconds, WORD wMilliseconds) {
  if (td) *td = SYSTEMTIME{wYears, wMonths, 0, wDays, wHours, wMinutes, wSeconds, wMilliseconds};
  return td;
}

TD QEL_CDECL TDSetTime(TD td, WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute, WORD wSecond,
                       WORD wMilliseconds) {
  if (!td) return td;
  TDSetInterval(td, wYear, wMonth, wDay, wHour, wMinute, wSecond, wMilliseconds);
  const SYSTEMTIME zero{};
  return TDAdd(td, &zero);
}

TD QEL_CDECL TDGetActTime(TD td) {
  if (td) GetLocalTime(td);
  return td;
}

WORD QEL_CDECL TDGetYears(const SYSTEMTIME* td) { return qel::datetime::valueOrNow(td).wYear; }
WORD QEL_CDECL TDGetMonths(const SYSTEMTIME* td) { return qel::datetime::valueOrNow(td).wMonth; }
WORD QEL_CDECL TDGetDays(const SYSTEMTIME* td) { return qel::datetime::valueOrNow(td).wDay; }
WORD QEL_CDECL TDGetHours(const SYSTEMTIME* td) { return qel::datetime::valueOrNow(td).wHour; }
WORD QEL_CDECL TDGetMinutes(const SYSTEMTIME* td) { return qel::datetime::valueOrNow(td).wMinute; }
WORD QEL_CDECL TDGetSeconds(const SYSTEMTIME* td) { return qel::datetime::valueOrNow(td).wSecond; }
WORD QEL_CDECL TDGetMilliSeconds(const SYSTEMTIME* td) { return qel::datetime::valueOrNow(td).wMilliseconds; }

}  // extern "C"
