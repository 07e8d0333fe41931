/* Adding and subtracting intervals field by field, comparison, ranges. */
#include <gtest/gtest.h>

#include <cstring>

#include "datetime/DateTime.h"

namespace {

SYSTEMTIME at(int y, int m, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return SYSTEMTIME{WORD(y), WORD(m), 0, WORD(d), WORD(h), WORD(mi), WORD(s), WORD(ms)};
}

struct ArithmeticCase {
  SYSTEMTIME start, interval, expected;
};

std::string shown(const SYSTEMTIME& v) {
  char text[64];
  std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d.%d", v.wYear, v.wMonth, v.wDay, v.wHour, v.wMinute,
                v.wSecond, v.wMilliseconds);
  return text;
}

void expectArithmetic(TD (*op)(TD, const SYSTEMTIME*), const std::vector<ArithmeticCase>& cases) {
  for (const ArithmeticCase& c : cases) {
    SYSTEMTIME v = c.start;
    v.wDayOfWeek = 4;  // kept as it is: no arithmetic updates it
    EXPECT_EQ(op(&v, &c.interval), &v);
    SYSTEMTIME expected = c.expected;
    expected.wDayOfWeek = 4;
    EXPECT_EQ(std::memcmp(&v, &expected, sizeof v), 0) << shown(c.start) << " -> " << shown(v);
  }
}

TEST(DateArithmetic, AddCarries) {
  // clang-format off
  expectArithmetic(TDAdd,
                   {
                       {at(2024, 1, 31), at(0, 1, 0), at(2024, 2, 29)},
                       {at(2023, 1, 31), at(0, 1, 0), at(2023, 2, 28)},
                       {at(2023, 1, 31), at(0, 1, 1), at(2023, 3, 1)},  // the day goes first: 1 February
                       {at(2023, 2, 28, 23), at(0, 0, 0, 2), at(2023, 3, 1, 1)},
                       {at(2024, 11, 15), at(0, 14, 0), at(2026, 1, 15)},
                       {at(2024, 11, 15), at(0, 12, 0), at(2025, 11, 15)},
                       {at(2024, 12, 15), at(0, 12, 0), at(2025, 12, 15)},
                       {at(2024, 12, 31, 23, 59, 59, 999), at(0, 0, 0, 0, 0, 0, 1), at(2025, 1, 1)},
                       {at(2024, 2, 28), at(0, 0, 1), at(2024, 2, 29)},
                       {at(2023, 2, 28), at(0, 0, 1), at(2023, 3, 1)},
                       {at(2024, 1, 1), at(0, 0, 366), at(2025, 1, 1)},
                       {at(2023, 1, 1), at(0, 0, 365), at(2024, 1, 1)},
                       {at(2024, 2, 29), at(1, 0, 0), at(2025, 2, 28)},
                       {at(2023, 1, 1), at(0, 0, 0, 0, 0, 0, 65535), at(2023, 1, 1, 0, 1, 5, 535)},
                       {at(2023, 1, 1), at(0, 0, 0, 49, 120, 0), at(2023, 1, 3, 3, 0, 0)},
                       {at(2023, 5, 10), at(0, 25, 0), at(2025, 6, 10)},
                       {at(2023, 5, 10), at(0, 0, 0), at(2023, 5, 10)},
                       {at(65535, 12, 31), at(0, 0, 1), at(0, 1, 1)},  // the year wraps around
                       {at(2023, 0, 5), at(0, 0, 0), at(2023, 1, 5)},
                   });
}

TEST(DateArithmetic, SubtractBorrows) {
  expectArithmetic(
      TDSubst,
      {
          {at(2023, 3, 5), at(0, 0, 5), at(2023, 2, 28)}, {at(2023, 3, 5), at(0, 0, 33), at(2023, 1, 31)},
          {at(2024, 3, 5), at(0, 0, 5), at(2024, 2, 29)},
          {at(2023, 1, 1, 10, 0, 30), at(0, 0, 0, 0, 0, 45), at(2023, 1, 1, 9, 59, 45)},
          {at(2023, 1, 1, 10, 0, 0, 200), at(0, 0, 0, 0, 0, 0, 500), at(2023, 1, 1, 9, 59, 59, 700)},
          {at(2023, 1, 1, 10, 0, 0, 0), at(0, 0, 0, 0, 0, 0, 1000), at(2023, 1, 1, 9, 59, 59, 0)},
          {at(2024, 3, 15), at(0, 3, 0), at(2023, 12, 15)}, {at(2023, 3, 31), at(0, 1, 0), at(2023, 2, 28)},
          {at(2023, 5, 7), at(0, 0, 7), at(2023, 4, 30)}, {at(2023, 3, 7), at(0, 0, 7), at(2023, 2, 28)},
          {at(2023, 6, 15), at(0, 6, 0), at(2022, 12, 15)},  // a month minus the same month: December before
          {at(2023, 6, 15), at(0, 18, 0), at(2021, 12, 15)},
          {at(2023, 1, 1), at(0, 0, 0, 0, 0, 0, 1), at(2022, 12, 31, 23, 59, 59, 999)},
          {at(2023, 1, 1), at(0, 0, 0, 0, 0, 0, 2500), at(2022, 12, 31, 23, 59, 57, 500)},
          {at(2023, 1, 1), at(0, 0, 0, 49, 0, 0), at(2022, 12, 29, 23)},
          {at(2024, 3, 1), at(1, 0, 0), at(2023, 3, 1)}, {at(2025, 3, 1), at(0, 0, 365), at(2024, 3, 1)},
          {at(2024, 2, 29), at(4, 0, 0), at(2020, 2, 29)}, {at(2024, 2, 29), at(1, 0, 0), at(2023, 2, 28)},
          {at(0, 1, 1), at(0, 0, 1), at(65535, 12, 31)},  // the year wraps around
      });
}

TEST(DateArithmetic, AddThenSubtractReturns) {
  // Within a month the two operations undo each other.
  SYSTEMTIME v = at(2024, 7, 10, 12, 30, 15, 250);
  // clang-format on
  const SYSTEMTIME original = v;
  const SYSTEMTIME interval = at(0, 0, 5, 13, 45, 50, 900);
  TDAdd(&v, &interval);
  TDSubst(&v, &interval);
  EXPECT_EQ(TDCmp(&v, &original), 0);
}

TEST(DateComparison, OrderAndRanges) {
  struct Case {
    SYSTEMTIME a, b;
    LONG order;
  };
  // clang-format off
  const Case cases[] = {
      {at(2023, 1, 1), at(2023, 1, 1), 0}, {at(2023, 1, 1), at(2024, 1, 1), -1},
      {at(2023, 2, 1), at(2023, 1, 31), 1}, {at(2023, 1, 1, 0, 0, 0, 1), at(2023, 1, 1), 1},
      {at(2023, 1, 1, 23), at(2023, 1, 2), -1}, {at(2023, 1, 1, 0, 59), at(2023, 1, 1, 1), -1},
      {at(2023, 1, 1, 0, 0, 59), at(2023, 1, 1, 0, 1), -1}, {at(65535, 1, 1), at(1, 1, 1), 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(TDCmp(&c.a, &c.b), c.order) << shown(c.a) << " " << shown(c.b);
    EXPECT_EQ(TDCmp(&c.b, &c.a), -c.order);
  }
  SYSTEMTIME x = at(2023, 5, 5), y = x;
  y.wDayOfWeek = 3;
  EXPECT_EQ(TDCmp(&x, &y), 0);

  const SYSTEMTIME jan10 = at(2024, 1, 10), jan1 = at(2024, 1, 1);
  struct RangeCase {
    SYSTEMTIME b1, b2, x;
    INT inside;
  };
  // clang-format off
  const RangeCase ranges[] = {
      {jan10, jan1, at(2024, 1, 5), 1}, {jan10, jan1, jan10, 1}, {jan10, jan1, at(2024, 1, 11), 0},
      {jan1, jan10, at(2024, 1, 5), 1}, {jan1, jan10, jan1, 1}, {jan1, jan10, at(2023, 12, 31), 0},
      {jan1, jan1, jan1, 1}, {jan1, jan1, at(2024, 1, 1, 0, 0, 0, 1), 0},
  };
  // clang-format on
  for (const RangeCase& r : ranges) EXPECT_EQ(TDInRange(&r.b1, &r.b2, &r.x), r.inside) << shown(r.x);
}

}  // namespace
