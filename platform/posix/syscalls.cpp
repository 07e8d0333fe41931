/* The table of system calls and its fault hook. */
#include "syscalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

namespace qel::posix::sys {
namespace {

// The system's functions where their own types do not fit an entry.
int openFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int statPath(const char* path, struct stat* st) { return ::stat(path, st); }
int logEvent(const char* ident, int priority, const char* message) {
  openlog(ident, LOG_PID, LOG_USER);
  syslog(priority, "%s", message);
  closelog();
  return 0;
}

std::atomic<long> remaining{0};  // calls until the one that fails
std::atomic<long> armedWith{0};
std::atomic<int> failWith{0};
std::atomic<int> onlyCall{kCallCount};
std::atomic<int> lastFailed{kCallCount};

// ORDER kCalls
constexpr Table systemCalls() {
  return {
      openFile, ::read,    ::write,   ::pread,        ::pwrite,        ::lseek,       ::ftruncate, ::fsync,
      ::flock,  ::close,   ::rename,  ::link,         ::unlink,        statPath,      ::fstat,     ::mkdir,
      ::access, ::opendir, ::readdir, ::closedir,     ::clock_gettime, ::localtime_r, ::socket,    ::connect,
      ::bind,   ::sendto,  ::recv,    ::posix_spawnp, ::waitpid,       logEvent,
  };
}

}  // namespace

constinit const Table kSystemCalls = systemCalls();
constinit Table calls = systemCalls();

const char* const kCallNames[kCallCount] = {
    "open",   "read",    "write",   "pread",        "pwrite",        "lseek",       "ftruncate", "fsync",
    "flock",  "close",   "rename",  "link",         "unlink",        "stat",        "fstat",     "mkdir",
    "access", "opendir", "readdir", "closedir",     "clock_gettime", "localtime_r", "socket",    "connect",
    "bind",   "sendto",  "recv",    "posix_spawnp", "waitpid",       "syslog",
};

constinit std::atomic<bool> faultArmed{false};

int injectedFailure(Call call) {
  const int only = onlyCall.load(std::memory_order_relaxed);
  if (only != kCallCount && only != call) return 0;
  if (remaining.fetch_sub(1, std::memory_order_relaxed) != 1) return 0;
  lastFailed.store(call, std::memory_order_relaxed);
  return failWith.load(std::memory_order_relaxed);
}

void failCall(long n, int error, Call only) {
  armedWith.store(n, std::memory_order_relaxed);
  remaining.store(n, std::memory_order_relaxed);
  failWith.store(error, std::memory_order_relaxed);
  onlyCall.store(only, std::memory_order_relaxed);
  if (n != 0) lastFailed.store(kCallCount, std::memory_order_relaxed);  // kept for a look after disarming
  faultArmed.store(n != 0, std::memory_order_relaxed);
}

Call lastFailedCall() { return Call(lastFailed.load(std::memory_order_relaxed)); }

long callsSinceArmed() {
  return armedWith.load(std::memory_order_relaxed) - remaining.load(std::memory_order_relaxed);
}

}  // namespace qel::posix::sys
