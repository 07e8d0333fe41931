/*
 * A value rounded to double, also where the floating-point unit keeps wider
 * values in its registers (x87: FLT_EVAL_METHOD 2), so that what a register
 * holds is what memory would: every build computes alike.
 */
#ifndef QELBASE_DOUBLE_ROUNDING_H
#define QELBASE_DOUBLE_ROUNDING_H

#include <cfloat>

namespace qel {

inline double asDouble(double x) {
#if FLT_EVAL_METHOD != 0
  volatile double stored = x;
  return stored;
#else
  return x;
#endif
}

}  // namespace qel

#endif
