/* The greatest common divisor, by Euclid's algorithm. */
#include "containers/LinkedList.h"

extern "C" DWORD QEL_CDECL GCD(DWORD a, DWORD b) {
  DWORD x = a > b ? a : b, y = a > b ? b : a;
  while (y) {
    const DWORD r = x % y;
    x = y;
    y = r;
  }
  return x;
}
