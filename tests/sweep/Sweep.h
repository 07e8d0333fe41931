/* Runs a workload once to count its allocation requests, then once per
   request with that one failing.  The workload checks each step itself:
   success, or the family's documented failure with the state it promises. */
#ifndef QEL_TESTS_SWEEP_H
#define QEL_TESTS_SWEEP_H

#include <gtest/gtest.h>

#include <climits>

#include "frame/Heap.h"

namespace qel::test {

// Lack of memory as the library reports it, or as the platform reports it
// through a call that failed for it (0x80070008).
inline bool noMemory(unsigned long code) { return code == 0x8007000Eu || code == 0x80070008u; }

template <class Workload>
long sweepAllocations(Workload&& workload) {
  heapFailAt(LONG_MAX);  // armed beyond reach: counts the requests
  workload();
  const long total = heapRequestsSinceArmed();
  heapFailAt(0);
  EXPECT_GT(total, 0) << "the workload allocates nothing";
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE(n);  // made before the failure is armed
    heapFailAt(n);
    workload();
    heapFailAt(0);
  }
  return total;
}

}  // namespace qel::test

#endif
