/*
 * Dates, strings and picture formatting: date arithmetic, the string
 * object, and numbers formatted by a picture.
 */
#include <QELBase.h>
#include <stdio.h>

static void print(const WCHAR* text, LONG length) {
  for (LONG i = 0; i < length && text[i]; ++i) putchar(text[i] < 0x80 ? (char)text[i] : '?');
}

int main(void) {
  /* A date is a SYSTEMTIME; an interval is one with the counts in its fields. */
  SYSTEMTIME due = {0}, term = {0};
  TDSetTime(&due, 2024, 1, 31, 9, 30, 0, 0);
  term.wMonth = 1;
  TDAdd(&due, &term); /* 31 January plus a month: the end of February */
  printf("due %04d-%02d-%02d, week %ld\n", TDGetYears(&due), TDGetMonths(&due), TDGetDays(&due),
         (long)TDGetWeekOfYear(&due));

  /* A string object owns its text; every call returns the object, or null. */
  TS text = TSNew();
  if (!text || !TSSetStr(text, QEL_W("  invoice due ")) || !TSATrim(text) || !TSUpper(text)) return 1;
  TSAddStr(text, QEL_W(" on "));
  TS date = TSFromDate(TSNew(), &due);
  if (date) TSAdd(text, date);
  print(TSGetStr(text), TSGetLen(text));
  printf("\n");
  TSFree(date);
  TSFree(text);

  /* Pictures: '#' a digit, blank when leading; '*' a digit, '*' when
     leading; ',' groups and '.' is the decimal point (from the locale). */
  static const WCHAR* const pictures[] = {QEL_W("###,###.##"), QEL_W("***,***.##")};
  for (int i = 0; i < 2; ++i) {
    WCHAR out[32];
    const LONG n = FMFormatDouble(NULL, pictures[i], 10, 1234.567, out, NULL);
    printf("1234.567 as ");
    print(pictures[i], 10);
    printf(" gives \"");
    print(out, n);
    printf("\"\n");
  }
  return 0;
}
