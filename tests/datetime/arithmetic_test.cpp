/* Date and time values by the case file: arithmetic, comparison, ranges,
   normalising and reading by a picture. */
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "datetime/DateTime.h"
#include "support/CaseFile.h"

namespace {

// "2024-1-31" or "2024-1-31 23:59:59.999".
SYSTEMTIME valueOf(const std::string& text) {
  int f[7] = {};
  std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6]);
  return SYSTEMTIME{WORD(f[0]), WORD(f[1]), 0, WORD(f[2]), WORD(f[3]), WORD(f[4]), WORD(f[5]), WORD(f[6])};
}

std::string textOf(const SYSTEMTIME& v) {
  char text[64];
  int n = std::snprintf(text, sizeof text, "%d-%d-%d", v.wYear, v.wMonth, v.wDay);
  if (v.wHour || v.wMinute || v.wSecond || v.wMilliseconds)
    std::snprintf(text + n, sizeof text - size_t(n), " %d:%d:%d.%d", v.wHour, v.wMinute, v.wSecond,
                  v.wMilliseconds);
  return text;
}

// What the operation of the case gives, checking the day of week it leaves.
std::string operate(const qel::test::Case& c) {
  const std::string& op = c[0];
  SYSTEMTIME v = valueOf(c[1]);
  if (op == "Add" || op == "Subst") {
    const SYSTEMTIME interval = valueOf(c[2]);
    v.wDayOfWeek = 4;  // kept as it is: no arithmetic updates it
    EXPECT_EQ(op == "Add" ? TDAdd(&v, &interval) : TDSubst(&v, &interval), &v);
    EXPECT_EQ(v.wDayOfWeek, 4);
    return textOf(v);
  }
  if (op == "Cmp") {
    const SYSTEMTIME other = valueOf(c[2]);
    const LONG order = TDCmp(&v, &other);
    EXPECT_EQ(TDCmp(&other, &v), -order);
    return std::to_string(order);
  }
  if (op == "InRange") {
    const SYSTEMTIME second = valueOf(c[2]), probe = valueOf(c[3]);
    return std::to_string(TDInRange(&v, &second, &probe));
  }
  if (op == "SetTime") {
    SYSTEMTIME out{};
    out.wDayOfWeek = 3;
    TDSetTime(&out, v.wYear, v.wMonth, v.wDay, v.wHour, v.wMinute, v.wSecond, v.wMilliseconds);
    EXPECT_EQ(out.wDayOfWeek, 0);
    return textOf(out);
  }
  // Parse: every field is set, the day of week to 0, or nothing on refusal.
  SYSTEMTIME target{1, 2, 1, 3, 4, 5, 6, 7};
  const SYSTEMTIME before = target;
  const std::string picture = c[2];
  TD result = TDFromString(qel::test::unescape(c[1]).c_str(), qel::test::unescape(picture).c_str(), &target);
  if (!result) {
    EXPECT_EQ(std::memcmp(&target, &before, sizeof target), 0);
    return "-";
  }
  EXPECT_EQ(result, &target);
  EXPECT_EQ(target.wDayOfWeek, 0);
  return textOf(target);
}

TEST(DateValues, CasesOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("datetime/dates.txt"))
    EXPECT_EQ(operate(c), c.fields.back()) << c.where;
}

TEST(DateValues, AddThenSubtractReturnsAndTheDayOfWeekIsNotCompared) {
  // Within a month the two operations undo each other.
  SYSTEMTIME v = valueOf("2024-7-10 12:30:15.250");
  const SYSTEMTIME original = v, interval = valueOf("0-0-5 13:45:50.900");
  TDAdd(&v, &interval);
  TDSubst(&v, &interval);
  EXPECT_EQ(TDCmp(&v, &original), 0);
  v.wDayOfWeek = 3;
  EXPECT_EQ(TDCmp(&v, &original), 0);
}

}  // namespace
