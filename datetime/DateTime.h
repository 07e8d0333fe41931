/** @file
 * TD: date/time values.  A value is the platform's SYSTEMTIME record; the
 * same record holds a point in time or, field by field, an interval.
 */
#ifndef QELBASE_DATETIME_H
#define QELBASE_DATETIME_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** A date/time value: a pointer to a SYSTEMTIME the caller owns (TDNew
   gives one from the heap, to be freed with TDFree; any SYSTEMTIME's
   address works as well). */
typedef SYSTEMTIME* TD;

/** Life cycle and setting. */
/** A zeroed value from the heap; null when memory is short. */
TD QEL_CDECL TDNew(void);
/** Zeroes every field; returns td. */
TD QEL_CDECL TDInit(TD td);
/** Copies source into target; returns target (unchanged when either is null). */
TD QEL_CDECL TDCopy(TD target, const SYSTEMTIME* source);
/** Frees a value from TDNew; null is ignored. */
void QEL_CDECL TDFree(TD td);
/** A point in time: overflowing fields carry into the larger ones. */
TD QEL_CDECL TDSetTime(TD td, WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute, WORD wSecond,
                       WORD wMilliseconds);
/** An interval: the counts are stored as they are. */
TD QEL_CDECL TDSetInterval(TD td, WORD wYears, WORD wMonths, WORD wDays, WORD wHours, WORD wMinutes,
                           WORD wSeconds, WORD wMilliseconds);
/** Sets td to the current local time; returns td. */
TD QEL_CDECL TDGetActTime(TD td);

/** Getters; a null value stands for the current local time. */
/** @{ */
WORD QEL_CDECL TDGetYears(const SYSTEMTIME* td);
WORD QEL_CDECL TDGetMonths(const SYSTEMTIME* td);
WORD QEL_CDECL TDGetDays(const SYSTEMTIME* td);
WORD QEL_CDECL TDGetHours(const SYSTEMTIME* td);
WORD QEL_CDECL TDGetMinutes(const SYSTEMTIME* td);
WORD QEL_CDECL TDGetSeconds(const SYSTEMTIME* td);
WORD QEL_CDECL TDGetMilliSeconds(const SYSTEMTIME* td);

/** @} */

/** 1 for a leap year by the Gregorian rules (applied to every year), else 0. */
INT QEL_CDECL IsLeapYear(WORD wYear);
/** 0 = Sunday .. 6 = Saturday; rewrites the value's wDayOfWeek.  0 also for
   a value the platform cannot convert (left unchanged then). */
WORD QEL_CDECL TDGetDayOfWeek(TD td);
/** 1 to 366: the day's number within its year. */
WORD QEL_CDECL TDGetDayOfYear(const SYSTEMTIME* td);
/** 1 to 53 by the first-week rule of the system default locale; weeks start
   on Monday. */
WORD QEL_CDECL TDGetWeekOfYear(const SYSTEMTIME* td);

/** Text.  TDToString formats the date part (with pszDatePicture, or the
   locale's default when only the time picture is null) and the time part
   run together; it returns null and stores the count needed (terminator
   included) at pnSize when pszBuffer is null or *pnSize is too small.
   TDFromString parses by a date/time picture (null: the locale's short
   date) and returns null, leaving the target alone, on a mismatch. */
WCHAR* QEL_CDECL TDToString(const SYSTEMTIME* td, const WCHAR* pszDatePicture, const WCHAR* pszTimePicture,
                            WCHAR* pszBuffer, LONG* pnSize);
/** @see TDToString */
TD QEL_CDECL TDFromString(const WCHAR* pszText, const WCHAR* pszPicture, TD target);

/** Adds the interval field by field, carrying into the larger fields (a
   month added to 31 January gives the month's last day); a is changed in
   place and returned. */
TD QEL_CDECL TDAdd(TD a, const SYSTEMTIME* interval);
/** Subtracts the interval field by field, borrowing from the larger fields; returns a. */
TD QEL_CDECL TDSubst(TD a, const SYSTEMTIME* interval);
/** -1, 0 or 1; the day of the week takes no part. */
LONG QEL_CDECL TDCmp(const SYSTEMTIME* a, const SYSTEMTIME* b);
/** 1 when x lies between the bounds (both included, either order). */
INT QEL_CDECL TDInRange(const SYSTEMTIME* b1, const SYSTEMTIME* b2, const SYSTEMTIME* x);

QEL_END_DECLS

#endif
