/* The edge of our platform layer.  Its functions are C functions that
   Windows lets fail with an error code, never with an exception, so lack
   of memory inside one becomes that call's failure result with
   ERROR_NOT_ENOUGH_MEMORY as its last error. */
#ifndef QEL_POSIX_SHIELD_H
#define QEL_POSIX_SHIELD_H

#include <qel/win32.h>

#include <utility>

namespace qel::posix {

template <class Body>
auto shielded(Body&& body, decltype(body()) onFailure) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return onFailure;
  }
}

template <class Body>
void shielded(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
}

}  // namespace qel::posix

#endif
