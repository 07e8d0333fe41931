/* Helpers the tests share: wide text built with the platform's printf. */
#ifndef QEL_TESTS_WIDE_TEXT_H
#define QEL_TESTS_WIDE_TEXT_H

#include <qel/win32.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace qel::test {

using WString = std::basic_string<WCHAR>;

// The text _vsnwprintf makes of the arguments (up to 4096 characters).
inline WString wprintf(const WCHAR* format, ...) {
  WCHAR buffer[4096];
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(buffer, 4096, format, args);
  va_end(args);
  return n < 0 ? WString(QEL_W("<overflow>")) : WString(buffer, size_t(n));
}

// Each byte as one wide character: for ASCII names and paths.
inline WString widen(std::string_view text) { return WString(text.begin(), text.end()); }

// Printable ASCII as it is, every other unit as {U+XXXX}: for failure
// messages and the results that case files hold.
inline std::string narrow(std::basic_string_view<WCHAR> text) {
  std::string out;
  for (WCHAR c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += char(c);
    } else {
      char code[12];
      std::snprintf(code, sizeof code, "{U+%04X}", unsigned(c));
      out += code;
    }
  }
  return out;
}

}  // namespace qel::test

#endif
