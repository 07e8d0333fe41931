/*
 * The edge of the flat interface: no exception may cross it, so every
 * export runs its body through `guarded`, which turns any exception into
 * the family's failure result.
 */
#ifndef QELBASE_BOUNDARY_H
#define QELBASE_BOUNDARY_H

#include <utility>

namespace qel {

template <class Result, class Body>
Result guarded(Result onFailure, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return onFailure;
  }
}

template <class Body>
void guarded(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
  }
}

}  // namespace qel

#endif
