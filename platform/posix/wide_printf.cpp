/* The runtime library's wide printf entry points. */
#include <qel/win32.h>

#include <algorithm>
#include <cerrno>

#include "printf_engine.h"

namespace {

// The text of `format`, or false with errno ENOMEM when memory ran out, as
// the runtime reports it.
bool render(std::u16string& out, const WCHAR* format, va_list args) {
  try {
    qel::posix::VaListArgs source(args);
    qel::posix::formatWide(out, format, source);
    return true;
  } catch (...) {
    errno = ENOMEM;
    return false;
  }
}

}  // namespace

extern "C" {

int __cdecl _vsnwprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args) {
  std::u16string text;
  if (!format || !render(text, format, args)) {
    if (buffer && count) buffer[0] = 0;  // never leave the caller's buffer unended
    return -1;
  }
  std::copy_n(text.begin(), std::min(count, text.size()), buffer);
  if (text.size() < count) buffer[text.size()] = 0;
  return text.size() <= count ? int(text.size()) : -1;
}

int __cdecl _snwprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(buffer, count, format, args);
  va_end(args);
  return n;
}

int __cdecl _vscwprintf(const WCHAR* format, va_list args) {
  std::u16string text;
  return format && render(text, format, args) ? int(text.size()) : -1;
}

int __cdecl _scwprintf(const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  int n = _vscwprintf(format, args);
  va_end(args);
  return n;
}
}
