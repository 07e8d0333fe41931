/* Thread last-error value, the local heap and critical sections. */
#include <pthread.h>
#include <qel/win32.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
thread_local DWORD lastError = 0;

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION),
              "CRITICAL_SECTION must hold a pthread mutex");
pthread_mutex_t* mutexOf(LPCRITICAL_SECTION cs) { return reinterpret_cast<pthread_mutex_t*>(cs); }
}  // namespace

extern "C" {

DWORD WINAPI GetLastError(void) { return lastError; }
void WINAPI SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  void* p = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, uBytes ? uBytes : 1) : std::malloc(uBytes ? uBytes : 1);
  if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
  std::free(hMem);
  return nullptr;
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
  std::memset(cs, 0, sizeof *cs);
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  new (cs) pthread_mutex_t;
  pthread_mutex_init(mutexOf(cs), &attr);
  pthread_mutexattr_destroy(&attr);
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) { pthread_mutex_destroy(mutexOf(cs)); }
// As Windows does on a machine of several processors, a waiter tries again
// for a short while before it sleeps: sections held for microseconds (a
// trace record) then change hands without a round trip through the kernel.
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
  constexpr int kSpins = 4000;
  for (int i = 0; i < kSpins; ++i) {
    if (pthread_mutex_trylock(mutexOf(cs)) == 0) return;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
  pthread_mutex_lock(mutexOf(cs));
}
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) { return pthread_mutex_trylock(mutexOf(cs)) == 0; }
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) { pthread_mutex_unlock(mutexOf(cs)); }
}
