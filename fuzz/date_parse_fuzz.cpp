/*
 * TDFromString with arbitrary text and pictures: the input is UTF-16, cut
 * at its first NUL into the picture and the text.  On success the value must
 * pass the parser's own checks; on failure the target must be untouched.
 */
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "datetime/DateTime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<WCHAR> units;
  for (size_t i = 0; i + 1 < size; i += 2) units.push_back(WCHAR(data[i] | (data[i + 1] << 8)));
  units.push_back(0);
  units.push_back(0);
  const WCHAR* picture = units.data();
  const WCHAR* text = picture + std::char_traits<WCHAR>::length(picture) + 1;
  if (text > &units.back()) text = &units.back();

  SYSTEMTIME target{1, 2, 3, 4, 5, 6, 7, 8};
  const SYSTEMTIME before = target;
  if (TDFromString(text, picture, &target)) {
    if (target.wMonth > 12 || target.wDay > 31 || target.wHour > 23 || target.wMinute > 59 ||
        target.wSecond > 59 || target.wDayOfWeek > 6 || target.wMilliseconds != 0)
      abort();
  } else if (std::memcmp(&target, &before, sizeof target) != 0) {
    abort();
  }
  // The default picture, and the formatter on whatever came out.
  SYSTEMTIME other{};
  TDFromString(text, nullptr, &other);
  LONG needed = 0;
  TDToString(&target, picture, nullptr, nullptr, &needed);
  std::vector<WCHAR> out(size_t(needed > 0 ? needed : 1));
  if (needed > 0 && !TDToString(&target, picture, nullptr, out.data(), &needed)) abort();
  return 0;
}
