/* A test's hold on the clock: every time service runs this far ahead. */
#ifndef QEL_POSIX_SYSTEM_CLOCK_H
#define QEL_POSIX_SYSTEM_CLOCK_H

#include <cstdint>

namespace qel::posix {

// Milliseconds added to the real time (negative: behind); 0 restores it.
void setClockShift(std::int64_t milliseconds);

}  // namespace qel::posix

#endif
