/*
 * Kernel objects behind HANDLE values: files, find searches, mailslots,
 * event sources and processes.  A handle stays usable by a call in progress while
 * another thread closes it.
 */
#ifndef QEL_POSIX_HANDLES_H
#define QEL_POSIX_HANDLES_H

#include <qel/win32.h>

#include <memory>
#include <string>
#include <string_view>

namespace qel::posix {

struct KernelObject {
  virtual ~KernelObject() = default;
  // Transfers of bytes; false with the last error set.
  virtual BOOL read(void* buffer, DWORD size, DWORD& done);
  virtual BOOL write(const void* buffer, DWORD size, DWORD& done);
  // WaitForSingleObject; objects that are never signalled fail.
  virtual DWORD wait(DWORD milliseconds);
};

HANDLE addHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> findHandle(HANDLE handle);
// The object of a handle if it is a T; null (last error ERROR_INVALID_HANDLE) otherwise.
template <class T>
std::shared_ptr<T> handleOf(HANDLE handle) {
  auto object = std::dynamic_pointer_cast<T>(findHandle(handle));
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}
bool removeHandle(HANDLE handle);

// UTF-16 text as UTF-8.
std::string utf8(std::u16string_view text);
// The host's form of a Windows path: UTF-8, every backslash a slash.
std::string hostPath(LPCWSTR path);
// The Windows error of an errno value.
DWORD errorOf(int errnoValue);
// Sets the last error from errno and returns FALSE.
BOOL failWithErrno();

}  // namespace qel::posix

#endif
