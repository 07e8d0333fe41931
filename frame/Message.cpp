/* QELBaseFormatMessage: the module's catalogue, the system, then the fallback. */
#include "frame/Message.h"

#include "frame/Module.h"

namespace {

constexpr DWORD kFromModuleThenSystem =
    FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK;
constexpr DWORD kFromSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK;

// One formatter call with its own copy of the arguments, so a second call
// starts from the first insert again.
DWORD formatFrom(DWORD flags, HMODULE source, DWORD code, DWORD language, LPWSTR buffer, DWORD size,
                 va_list args) {
  va_list copy;
  va_copy(copy, args);
  DWORD n = FormatMessageW(flags, source, code, language, buffer, size, &copy);
  va_end(copy);
  return n;
}

}  // namespace

extern "C" DWORD QEL_CDECL QELBaseFormatMessageVA(DWORD code, DWORD language, LPWSTR buffer, DWORD size,
                                                  va_list args) {
  if (!buffer || size == 0) return 0;
  if (formatFrom(kFromModuleThenSystem, qel::moduleInstance(), code, language, buffer, size, args)) return 0;
  if (formatFrom(kFromSystem, nullptr, code, language, buffer, size, args)) return 0;
  _snwprintf(buffer, size, QEL_W("Unknown Error Code: %08lX"), code);
  buffer[size - 1] = 0;
  return 0;
}

extern "C" DWORD QEL_CDECL QELBaseFormatMessage(DWORD code, DWORD language, LPWSTR buffer, DWORD size, ...) {
  va_list args;
  va_start(args, size);
  QELBaseFormatMessageVA(code, language, buffer, size, args);
  va_end(args);
  return 0;
}
