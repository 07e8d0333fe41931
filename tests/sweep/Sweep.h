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

// The loop of every sweep: arm(n) makes the n-th request from now fail
// (LONG_MAX counts without failing, 0 disarms), counted() gives the
// requests made since arming.
template <class Arm, class Counted, class Workload, class Verify>
long sweepEach(Arm&& arm, Counted&& counted, Workload&& workload, Verify&& verify) {
  arm(LONG_MAX);
  workload();
  const long total = counted();
  arm(0);
  EXPECT_GT(total, 0) << "the workload makes no request to fail";
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE(n);  // made before the failure is armed
    arm(n);
    workload();
    arm(0);
    verify();
  }
  return total;
}

template <class Workload, class Verify = void (*)()>
long sweepAllocations(Workload&& workload, Verify&& verify = nothingToVerify) {
  return sweepEach([](long n) { heapFailAt(n); }, heapRequestsSinceArmed, workload, verify);
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
  size_t descriptors = 0;  // as the counting run leaves them
  return sweepEach([](long n) { sys::failCall(n, EIO); },
                   [&] {
                     descriptors = openDescriptors();
                     return sys::callsSinceArmed();
                   },
                   workload,
                   [&] {
                     const sys::Call failed = sys::lastFailedCall();
                     EXPECT_LE(openDescriptors(), descriptors)
                         << "a failed " << (failed < sys::kCallCount ? sys::kCallNames[failed] : "call")
                         << " left a descriptor open";
                     verify();
                   });
}
#endif

}  // namespace qel::test

#endif
