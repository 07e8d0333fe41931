/*
 * Field-wise addition and subtraction of intervals, comparison and range
 * tests.  Fields carry (or borrow) from the smallest to the largest; days
 * move month by month with each month's own length before the months of the
 * interval are added.
 */
#include "datetime/CalendarRules.h"

namespace qel::datetime {
namespace {

// Adds `add` and the carry to a field of the given base; returns the new carry.
unsigned addField(WORD& field, unsigned add, unsigned carry, unsigned base) {
  const unsigned sum = field + add + carry;
  field = WORD(sum % base);
  return sum / base;
}

// Subtracts `sub` and the borrow; returns the new borrow.
unsigned subtractField(WORD& field, unsigned sub, unsigned borrow, unsigned base) {
  const long t = long(field) - long(sub) - long(borrow);
  if (t >= 0) {
    field = WORD(t);
    return 0;
  }
  const unsigned k = unsigned((-t + long(base) - 1) / long(base));
  field = WORD(t + long(base) * long(k));
  return k;
}

void nextMonth(SYSTEMTIME& a) {
  if (a.wMonth >= 12) {
    a.wMonth = 1;
    a.wYear = WORD(a.wYear + 1);
  } else {
    a.wMonth = WORD(a.wMonth + 1);
  }
}

void previousMonth(SYSTEMTIME& a) {
  if (a.wMonth <= 1) {
    a.wMonth = 12;
    a.wYear = WORD(a.wYear - 1);
  } else {
    a.wMonth = WORD(a.wMonth - 1);
  }
}

// 31 January plus one month is the last day of February.
void clampToMonthEnd(SYSTEMTIME& a) {
  const unsigned last = daysInMonth(a.wMonth, a.wYear);
  if (a.wDay > last) a.wDay = WORD(last);
}

}  // namespace
}  // namespace qel::datetime

using namespace qel::datetime;

extern "C" {

TD QEL_CDECL TDAdd(TD a, const SYSTEMTIME* b) {
  if (!a || !b) return a;
  unsigned carry = addField(a->wMilliseconds, b->wMilliseconds, 0, 1000);
  carry = addField(a->wSecond, b->wSecond, carry, 60);
  carry = addField(a->wMinute, b->wMinute, carry, 60);
  carry = addField(a->wHour, b->wHour, carry, 24);

  unsigned d = b->wDay + carry;
  for (;;) {
    const unsigned m = daysInMonth(a->wMonth, a->wYear);
    if (a->wDay + d <= m) break;
    d = d + a->wDay - m;
    a->wDay = 0;
    nextMonth(*a);
  }
  a->wDay = WORD(a->wDay + d);

  const unsigned months = unsigned(a->wMonth) + b->wMonth;
  unsigned yearCarry = 0;
  if (months > 12) {
    yearCarry = (months - 1) / 12;
    a->wMonth = WORD(months % 12 == 0 ? 12 : months % 12);
  } else {
    a->wMonth = WORD(months);
  }
  a->wYear = WORD(a->wYear + b->wYear + yearCarry);
  clampToMonthEnd(*a);
  return a;
}

TD QEL_CDECL TDSubst(TD a, const SYSTEMTIME* b) {
  if (!a || !b) return a;
  unsigned borrow = subtractField(a->wMilliseconds, b->wMilliseconds, 0, 1000);
  borrow = subtractField(a->wSecond, b->wSecond, borrow, 60);
  borrow = subtractField(a->wMinute, b->wMinute, borrow, 60);
  borrow = subtractField(a->wHour, b->wHour, borrow, 24);

  long t = long(a->wDay) - long(b->wDay) - long(borrow);
  while (t <= 0) {
    previousMonth(*a);
    t += long(daysInMonth(a->wMonth, a->wYear));
  }
  a->wDay = WORD(t);

  const long months = long(a->wMonth) - long(b->wMonth);
  unsigned yearBorrow = 0;
  if (months >= 1) {
    a->wMonth = WORD(months);
  } else {
    yearBorrow = unsigned(-months / 12 + 1);
    a->wMonth = WORD(months + 12 * long(yearBorrow));
  }
  a->wYear = WORD(a->wYear - b->wYear - yearBorrow);
  clampToMonthEnd(*a);
  return a;
}

LONG QEL_CDECL TDCmp(const SYSTEMTIME* a, const SYSTEMTIME* b) {
  const WORD SYSTEMTIME::*const kOrder[] = {
      &SYSTEMTIME::wYear,   &SYSTEMTIME::wMonth,  &SYSTEMTIME::wDay,         &SYSTEMTIME::wHour,
      &SYSTEMTIME::wMinute, &SYSTEMTIME::wSecond, &SYSTEMTIME::wMilliseconds};
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);  // a missing value sorts first
  for (auto field : kOrder) {
    if (a->*field < b->*field) return -1;
    if (a->*field > b->*field) return 1;
  }
  return 0;
}

INT QEL_CDECL TDInRange(const SYSTEMTIME* b1, const SYSTEMTIME* b2, const SYSTEMTIME* x) {
  const LONG c = TDCmp(b1, b2);
  if (c == 0) return TDCmp(x, b1) == 0;
  const SYSTEMTIME* low = c < 0 ? b1 : b2;
  const SYSTEMTIME* high = c < 0 ? b2 : b1;
  return TDCmp(x, low) >= 0 && TDCmp(x, high) <= 0;
}

}  // extern "C"
