/* What the calendar, the setters and the arithmetic share. */
#ifndef QELBASE_CALENDAR_RULES_H
#define QELBASE_CALENDAR_RULES_H

#include "datetime/DateTime.h"

namespace qel::datetime {

bool isLeapYear(unsigned year);
// 0 for month 0 and for months above 12.
unsigned daysInMonth(unsigned month, unsigned year);
// Week number with Monday as the first day and the given first-week rule
// ('0' holds 1 January, '1' first full week, '2' first week of four days).
WORD weekOfYear(const SYSTEMTIME& v, WCHAR rule);
// A copy of the value, or the current local time for null.
SYSTEMTIME valueOrNow(const SYSTEMTIME* td);

}  // namespace qel::datetime

#endif
