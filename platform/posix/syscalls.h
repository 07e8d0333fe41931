/*
 * The system calls of the POSIX layer, made through one table that tests
 * may rewrite, as SQLite's os_unix.c makes its own: each entry holds the
 * function in use, which a test may replace with its own (the clock that
 * runs ahead, the event log that records instead of calling syslog) and
 * put back from kSystemCalls.  A test may also arm the fault hook to fail
 * the n-th call from now, of any entry or of one named entry, with an errno
 * of its choice.  Unarmed, the hook costs one load of a flag and a
 * predictable branch.
 */
#ifndef QEL_POSIX_SYSCALLS_H
#define QEL_POSIX_SYSCALLS_H

#include <dirent.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <memory>

namespace qel::posix::sys {

// The entries, by name.  ORDER kCalls
enum Call : int {
  kOpen,
  kRead,
  kWrite,
  kPread,
  kPwrite,
  kLseek,
  kFtruncate,
  kFsync,
  kFlock,
  kClose,
  kRename,
  kLink,
  kUnlink,
  kStat,
  kFstat,
  kMkdir,
  kAccess,
  kOpendir,
  kReaddir,
  kClosedir,
  kClockGettime,
  kLocaltime,
  kSocket,
  kConnect,
  kBind,
  kSendto,
  kRecv,
  kSpawn,
  kWaitpid,
  kReportEvent,  // one event to the system log: (ident, priority, message) -> 0 or an errno
  kCallCount
};

// The functions in use, one member per entry: constant-initialised, so
// that they are there before any constructor of the process runs.
struct Table {
  int (*open)(const char*, int, mode_t);
  ssize_t (*read)(int, void*, size_t);
  ssize_t (*write)(int, const void*, size_t);
  ssize_t (*pread)(int, void*, size_t, off_t);
  ssize_t (*pwrite)(int, const void*, size_t, off_t);
  off_t (*lseek)(int, off_t, int);
  int (*ftruncate)(int, off_t);
  int (*fsync)(int);
  int (*flock)(int, int);
  int (*close)(int);
  int (*rename)(const char*, const char*);
  int (*link)(const char*, const char*);
  int (*unlink)(const char*);
  int (*stat)(const char*, struct stat*);
  int (*fstat)(int, struct stat*);
  int (*mkdir)(const char*, mode_t);
  int (*access)(const char*, int);
  DIR* (*opendir)(const char*);
  dirent* (*readdir)(DIR*);
  int (*closedir)(DIR*);
  int (*clock_gettime)(clockid_t, timespec*);
  tm* (*localtime_r)(const time_t*, tm*);
  int (*socket)(int, int, int);
  int (*connect)(int, const sockaddr*, socklen_t);
  int (*bind)(int, const sockaddr*, socklen_t);
  ssize_t (*sendto)(int, const void*, size_t, int, const sockaddr*, socklen_t);
  ssize_t (*recv)(int, void*, size_t, int);
  int (*spawn)(pid_t*, const char*, const posix_spawn_file_actions_t*, const posix_spawnattr_t*, char* const*,
               char* const*);
  pid_t (*waitpid)(pid_t, int*, int);
  int (*reportEvent)(const char* ident, int priority, const char* message);
};

// What the layer calls, which tests may change member by member, and the
// system's own functions to put back.
extern Table calls;
extern const Table kSystemCalls;
// The entries' names, by Call.
extern const char* const kCallNames[kCallCount];

extern std::atomic<bool> faultArmed;

// The errno an armed fault gives this call, or 0 to make it.
int injectedFailure(Call call);

// Runs an entry, or fails it as the fault hook says: errno set and
// `failed` returned.
template <Call C, class R, class Function, class... A>
inline R call(R failed, Function function, A... args) {
  if (faultArmed.load(std::memory_order_relaxed)) [[unlikely]] {
    if (const int error = injectedFailure(C)) {
      errno = error;
      return failed;
    }
  }
  return function(args...);
}

inline int open(const char* path, int flags, mode_t mode = 0) {
  return call<kOpen, int>(-1, calls.open, path, flags, mode);
}
inline ssize_t read(int fd, void* buffer, size_t size) {
  return call<kRead, ssize_t>(-1, calls.read, fd, buffer, size);
}
inline ssize_t write(int fd, const void* buffer, size_t size) {
  return call<kWrite, ssize_t>(-1, calls.write, fd, buffer, size);
}
inline off_t lseek(int fd, off_t offset, int whence) {
  return call<kLseek, off_t>(-1, calls.lseek, fd, offset, whence);
}
inline int ftruncate(int fd, off_t size) { return call<kFtruncate, int>(-1, calls.ftruncate, fd, size); }
inline int fsync(int fd) { return call<kFsync, int>(-1, calls.fsync, fd); }
inline int flock(int fd, int operation) { return call<kFlock, int>(-1, calls.flock, fd, operation); }
// A close that fails still releases what it closes, as Linux does: the
// injected failure comes after the call.
template <Call C, class Function, class Handle>
inline int release(Function function, Handle handle) {
  const int result = function(handle);
  if (faultArmed.load(std::memory_order_relaxed)) [[unlikely]] {
    if (const int error = injectedFailure(C)) {
      errno = error;
      return -1;
    }
  }
  return result;
}
inline int close(int fd) { return release<kClose>(calls.close, fd); }
inline int closedir(DIR* dir) { return release<kClosedir>(calls.closedir, dir); }

// A directory stream that closes when it goes, also when an exception
// passes (a name that cannot be built, say).
struct DirectoryCloser {
  void operator()(DIR* dir) const { qel::posix::sys::closedir(dir); }
};
using Directory = std::unique_ptr<DIR, DirectoryCloser>;
inline int rename(const char* from, const char* to) { return call<kRename, int>(-1, calls.rename, from, to); }
inline int link(const char* from, const char* to) { return call<kLink, int>(-1, calls.link, from, to); }
inline int unlink(const char* path) { return call<kUnlink, int>(-1, calls.unlink, path); }
inline int stat(const char* path, struct stat* st) { return call<kStat, int>(-1, calls.stat, path, st); }
inline int fstat(int fd, struct stat* st) { return call<kFstat, int>(-1, calls.fstat, fd, st); }
inline int mkdir(const char* path, mode_t mode) { return call<kMkdir, int>(-1, calls.mkdir, path, mode); }
inline int access(const char* path, int mode) { return call<kAccess, int>(-1, calls.access, path, mode); }
inline DIR* opendir(const char* path) { return call<kOpendir, DIR*>(nullptr, calls.opendir, path); }
inline dirent* readdir(DIR* dir) { return call<kReaddir, dirent*>(nullptr, calls.readdir, dir); }

inline int clock_gettime(clockid_t clock, timespec* ts) {
  return call<kClockGettime, int>(-1, calls.clock_gettime, clock, ts);
}
inline tm* localtime_r(const time_t* t, tm* out) {
  return call<kLocaltime, tm*>(nullptr, calls.localtime_r, t, out);
}
inline int socket(int domain, int type, int protocol) {
  return call<kSocket, int>(-1, calls.socket, domain, type, protocol);
}
inline int connect(int fd, const sockaddr* address, socklen_t length) {
  return call<kConnect, int>(-1, calls.connect, fd, address, length);
}
inline int bind(int fd, const sockaddr* address, socklen_t length) {
  return call<kBind, int>(-1, calls.bind, fd, address, length);
}
inline ssize_t sendto(int fd, const void* buffer, size_t size, int flags, const sockaddr* to,
                      socklen_t length) {
  return call<kSendto, ssize_t>(-1, calls.sendto, fd, buffer, size, flags, to, length);
}
inline ssize_t recv(int fd, void* buffer, size_t size, int flags) {
  return call<kRecv, ssize_t>(-1, calls.recv, fd, buffer, size, flags);
}
inline pid_t waitpid(pid_t pid, int* status, int options) {
  return call<kWaitpid, pid_t>(-1, calls.waitpid, pid, status, options);
}
inline ssize_t pread(int fd, void* buffer, size_t size, off_t at) {
  return call<kPread, ssize_t>(-1, calls.pread, fd, buffer, size, at);
}
inline ssize_t pwrite(int fd, const void* buffer, size_t size, off_t at) {
  return call<kPwrite, ssize_t>(-1, calls.pwrite, fd, buffer, size, at);
}
// These two report a failure as their result, not in errno.
inline int spawn(pid_t* pid, const char* file, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
  if (faultArmed.load(std::memory_order_relaxed)) [[unlikely]] {
    if (const int error = injectedFailure(kSpawn)) return error;
  }
  return calls.spawn(pid, file, actions, attributes, argv, envp);
}
inline int reportEvent(const char* ident, int priority, const char* message) {
  if (faultArmed.load(std::memory_order_relaxed)) [[unlikely]] {
    if (const int error = injectedFailure(kReportEvent)) return error;
  }
  return calls.reportEvent(ident, priority, message);
}

// Tests: fail the n-th call from now (1: the next one; 0 disarms) of any
// entry, or with `only` of that entry alone, with errno `error`.
void failCall(long n, int error, Call only = kCallCount);
// The calls counted since failCall armed the hook.
long callsSinceArmed();
// The entry the hook failed last since it was last armed (kCallCount: none);
// still there after failCall(0) disarms it.
Call lastFailedCall();

}  // namespace qel::posix::sys

#endif
