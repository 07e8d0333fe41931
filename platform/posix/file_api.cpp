/*
 * Win32 file calls over POSIX descriptors.  Share modes become advisory
 * locks (flock) so that they hold between processes: no sharing takes the
 * lock exclusively, any sharing takes it shared.  A conflicting open waits
 * up to 100 ms for the other side to close before it fails as Windows does,
 * so that processes taking turns on one file for microseconds (trace
 * writers, say) do not fail on each other; only a file really held fails.
 */
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>

#include "handles.h"
#include "mailslots.h"
#include "shield.h"
#include "syscalls.h"

namespace qel::posix {
namespace {

struct FileObject : KernelObject {
  FileObject(int descriptor, std::string deleteOnClose) : fd(descriptor), doomed(std::move(deleteOnClose)) {}
  ~FileObject() override {
    if (!doomed.empty()) sys::unlink(doomed.c_str());
    sys::close(fd);
  }

  BOOL read(void* buffer, DWORD size, DWORD& done) override {
    done = 0;
    while (done < size) {
      ssize_t n = sys::read(fd, static_cast<char*>(buffer) + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return failWithAccess();
      if (n == 0) break;  // end of file: success with what was read
      done += DWORD(n);
    }
    return TRUE;
  }

  BOOL write(const void* buffer, DWORD size, DWORD& done) override {
    done = 0;
    while (done < size) {
      ssize_t n = sys::write(fd, static_cast<const char*>(buffer) + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return failWithAccess();
      done += DWORD(n);
    }
    return TRUE;
  }

  // A descriptor not open for the transfer is a handle without that access.
  static BOOL failWithAccess() {
    if (errno != EBADF) return failWithErrno();
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }

  int fd;
  std::string doomed;  // FILE_FLAG_DELETE_ON_CLOSE: the path to remove
};

HANDLE failed(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

// ERROR_PATH_NOT_FOUND when the folder is missing, else ERROR_FILE_NOT_FOUND.
DWORD missingError(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
  struct stat st;
  return sys::stat(path.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                                   : ERROR_PATH_NOT_FOUND;
}

// What ReadFile and WriteFile share around the object's own transfer.
template <class Transfer>
BOOL transfer(HANDLE handle, const void* buffer, DWORD size, LPDWORD transferred, Transfer&& run) {
  return shielded(
      [&]() -> BOOL {
        auto object = findHandle(handle);
        DWORD done = 0;
        BOOL ok = FALSE;
        if (!object)
          SetLastError(ERROR_INVALID_HANDLE);
        else if (!buffer && size)
          SetLastError(ERROR_INVALID_PARAMETER);
        else
          ok = run(*object, done);
        if (transferred) *transferred = done;
        return ok;
      },
      FALSE);
}

// The lock of a share mode, waiting a bounded time for a conflicting
// holder: polled with growing pauses, as flock has no timeout of its own.
bool lockWithinGrace(int fd, int operation) {
  constexpr long kGraceMicroseconds = 100000;
  long waited = 0, pause = 20;
  while (sys::flock(fd, operation | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= kGraceMicroseconds) return false;
    usleep(useconds_t(pause));
    waited += pause;
    pause = std::min(pause * 2, 2000L);
  }
  return true;
}

// Opens as open(2) does and tells whether the file was there before.  A
// create that may open an existing file first tries without creating, so
// that the common case costs one call; a folder is refused as Windows
// refuses it.
int openFile(const std::string& path, int flags, mode_t mode, bool& existed) {
  const bool creates = (flags & O_CREAT) && !(flags & O_EXCL);
  int fd = -1;
  for (;;) {
    fd = sys::open(path.c_str(), creates ? flags & ~O_CREAT : flags, mode);
    existed = fd >= 0 && !(flags & O_EXCL);
    if (fd >= 0 || !creates || errno != ENOENT) break;
    fd = sys::open(path.c_str(), flags | O_EXCL, mode);
    if (fd >= 0 || errno != EEXIST) break;  // else made by another between the two calls
  }
  if (fd < 0 && errno == EISDIR) errno = EACCES;
  if (fd >= 0 && (flags & O_ACCMODE) == O_RDONLY) {
    struct stat st;
    if (sys::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      sys::close(fd);
      fd = -1;
      errno = EACCES;
    }
  }
  return fd;
}

}  // namespace
}  // namespace qel::posix

using namespace qel::posix;

extern "C" {

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  return qel::posix::shielded(
      [&]() -> HANDLE {
        if (!lpFileName) return failed(ERROR_INVALID_PARAMETER);
        if (isMailslotPath(lpFileName)) return openMailslotClient(lpFileName);
        const std::string path = hostPath(lpFileName);
        if (path.empty()) return failed(ERROR_PATH_NOT_FOUND);

        const bool reading = dwDesiredAccess & (GENERIC_READ | FILE_READ_DATA);
        const bool writing = dwDesiredAccess & (GENERIC_WRITE | FILE_WRITE_DATA);
        const bool appending = (dwDesiredAccess & FILE_APPEND_DATA) && !writing;
        int flags = O_CLOEXEC | (reading && (writing || appending) ? O_RDWR
                                 : (writing || appending)          ? O_WRONLY
                                                                   : O_RDONLY);
        if (appending) flags |= O_APPEND;
        if (dwFlagsAndAttributes & FILE_FLAG_WRITE_THROUGH) flags |= O_DSYNC;
        bool truncate = false;
        switch (dwCreationDisposition) {
          case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
          case CREATE_ALWAYS: flags |= O_CREAT, truncate = true; break;
          case OPEN_EXISTING: break;
          case OPEN_ALWAYS: flags |= O_CREAT; break;
          case TRUNCATE_EXISTING:
            if (!writing) return failed(ERROR_INVALID_PARAMETER);
            truncate = true;
            break;
          default: return failed(ERROR_INVALID_PARAMETER);
        }
        const mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        bool existed = false;
        const int fd = openFile(path, flags, mode, existed);
        if (fd < 0) return failed(errno == ENOENT ? missingError(path) : errorOf(errno));
        // Truncation waits for the lock, so that a file in use is left alone.
        if (!lockWithinGrace(fd, dwShareMode ? LOCK_SH : LOCK_EX)) {
          sys::close(fd);
          return failed(ERROR_SHARING_VIOLATION);
        }
        if (truncate && sys::ftruncate(fd, 0) != 0) {
          DWORD error = errorOf(errno);
          sys::close(fd);
          return failed(error);
        }
        std::shared_ptr<FileObject> object;
        try {
          object = std::make_shared<FileObject>(
              fd, dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE ? path : std::string());
        } catch (...) {
          sys::close(fd);  // not yet owned by an object
          throw;
        }
        HANDLE handle = addHandle(object);
        SetLastError(existed &&
                             (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS)
                         ? ERROR_ALREADY_EXISTS
                         : ERROR_SUCCESS);
        return handle;
      },
      INVALID_HANDLE_VALUE);
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED) {
  return transfer(
      hFile, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead,
      [&](KernelObject& object, DWORD& done) { return object.read(lpBuffer, nNumberOfBytesToRead, done); });
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED) {
  return transfer(
      hFile, lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten,
      [&](KernelObject& object, DWORD& done) { return object.write(lpBuffer, nNumberOfBytesToWrite, done); });
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
  auto file = handleOf<FileObject>(hFile);
  if (!file) return INVALID_SET_FILE_POINTER;
  const LONGLONG distance =
      lpDistanceToMoveHigh
          ? LONGLONG((ULONGLONG(ULONG(*lpDistanceToMoveHigh)) << 32) | ULONG(lDistanceToMove))
          : LONGLONG(lDistanceToMove);
  const int whence = dwMoveMethod == FILE_BEGIN     ? SEEK_SET
                     : dwMoveMethod == FILE_CURRENT ? SEEK_CUR
                                                    : SEEK_END;
  if (dwMoveMethod > FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  off_t at = sys::lseek(file->fd, off_t(distance), whence);
  if (at < 0) {
    SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : errorOf(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = LONG(ULONGLONG(at) >> 32);
  SetLastError(ERROR_SUCCESS);
  return DWORD(ULONGLONG(at));
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto file = handleOf<FileObject>(hFile);
  struct stat st;
  if (!file || sys::fstat(file->fd, &st) != 0) {
    if (file) failWithErrno();
    return INVALID_FILE_SIZE;
  }
  if (lpFileSizeHigh) *lpFileSizeHigh = DWORD(ULONGLONG(st.st_size) >> 32);
  SetLastError(ERROR_SUCCESS);
  return DWORD(ULONGLONG(st.st_size));
}

}  // extern "C"
