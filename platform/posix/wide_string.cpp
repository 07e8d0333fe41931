/* wcslen, wcscmp and wcstod for UTF-16 text, as the Microsoft runtime has them. */
#include <qel/wcrt.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "crt_locale.h"

size_t wcslen(const WCHAR* s) {
  const WCHAR* p = s;
  while (*p) ++p;
  return size_t(p - s);
}

int wcscmp(const WCHAR* a, const WCHAR* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a < *b ? -1 : *a > *b ? 1 : 0;
}

namespace {

bool isDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }

bool startsWithNoCase(const WCHAR* s, const char* word) {
  for (; *word; ++s, ++word)
    if ((*s | 0x20) != *word) return false;
  return true;
}

}  // namespace

double wcstod(const WCHAR* s, WCHAR** end) {
  const WCHAR* p = s;
  while (iswspace(*p)) ++p;
  double sign = 1.0;
  if (*p == u'+' || *p == u'-') sign = *p++ == u'-' ? -1.0 : 1.0;
  auto finish = [&](const WCHAR* stop, double value) {
    if (end) *end = const_cast<WCHAR*>(stop);
    return value;
  };
  if (startsWithNoCase(p, "infinity")) return finish(p + 8, sign * std::numeric_limits<double>::infinity());
  if (startsWithNoCase(p, "inf")) return finish(p + 3, sign * std::numeric_limits<double>::infinity());
  if (startsWithNoCase(p, "nan")) return finish(p + 3, std::numeric_limits<double>::quiet_NaN());

  const WCHAR decimal = qel::posix::crtDecimalPoint();
  std::string text;
  const WCHAR* q = p;
  bool digits = false;
  for (; isDigit(*q); ++q, digits = true) text += char(*q);
  if (*q == decimal) {
    text += '.';
    for (++q; isDigit(*q); ++q, digits = true) text += char(*q);
  }
  if (!digits) return finish(s, 0.0);
  if ((*q | 0x20) == u'e') {
    const WCHAR* e = q + 1;
    std::string exponent = "e";
    if (*e == u'+' || *e == u'-') exponent += char(*e++);
    if (isDigit(*e)) {
      for (; isDigit(*e); ++e) exponent += char(*e);
      text += exponent;
      q = e;
    }
  }
  double value = 0.0;
  if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc::result_out_of_range)
    value = text.find("e-") != std::string::npos ? 0.0 : HUGE_VAL;  // underflow or overflow, as strtod
  return finish(q, sign * value);
}
