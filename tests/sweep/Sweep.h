/* Runs a workload once to count its allocation requests (or its system
   calls), then once per request (call) with that one failing.  The
   workload checks each step itself: success, or the family's documented
   failure with the state it promises. */
#ifndef QEL_TESTS_SWEEP_H
#define QEL_TESTS_SWEEP_H

#include <gtest/gtest.h>

#include <climits>

#include "frame/Heap.h"
#ifndef _WIN32
#include <filesystem>

#include "platform/posix/syscalls.h"
#endif

namespace qel::test {

// Lack of memory as the library reports it, or as the platform reports it
// through a call that failed for it (0x80070008).
inline bool noMemory(unsigned long code) { return code == 0x8007000Eu || code == 0x80070008u; }

// `verify` runs after each run with nothing armed, to check what the run left.
inline void nothingToVerify() {}

template <class Workload, class Verify = void (*)()>
long sweepAllocations(Workload&& workload, Verify&& verify = nothingToVerify) {
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
    verify();
  }
  return total;
}

#ifndef _WIN32
inline size_t openDescriptors() {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// The same over the platform layer's system calls, each failing in turn
// with EIO; a failed run may not leave a descriptor open.
template <class Workload, class Verify = void (*)()>
long sweepSystemCalls(Workload&& workload, Verify&& verify = nothingToVerify) {
  namespace sys = qel::posix::sys;
  sys::failCall(LONG_MAX, EIO);
  workload();
  const long total = sys::callsSinceArmed();
  sys::failCall(0, 0);
  EXPECT_GT(total, 0) << "the workload makes no system call";
  const size_t descriptors = openDescriptors();
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE(n);
    sys::failCall(n, EIO);
    workload();
    const sys::Call failed = sys::lastFailedCall();
    sys::failCall(0, 0);
    EXPECT_LE(openDescriptors(), descriptors)
        << "a failed " << (failed < sys::kCallCount ? sys::kCallNames[failed] : "call")
        << " left a descriptor open";
    verify();
  }
  return total;
}
#endif

}  // namespace qel::test

#endif
