/* The process's handle table and the helpers every kernel object shares. */
#include "handles.h"

#include <cerrno>
#include <mutex>
#include <new>
#include <unordered_map>

namespace qel::posix {
namespace {

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<ULONG_PTR, std::shared_ptr<KernelObject>> objects;
  ULONG_PTR next = 0x100;  // multiples of four, as Windows hands them out
};

HandleTable& table() {
  static HandleTable* t = new HandleTable;  // outlives exit handlers
  return *t;
}

}  // namespace

BOOL KernelObject::read(void*, DWORD, DWORD&) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL KernelObject::write(const void*, DWORD, DWORD&) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

DWORD KernelObject::wait(DWORD) {
  SetLastError(ERROR_INVALID_HANDLE);
  return WAIT_FAILED;
}

HANDLE addHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& t = table();
  std::lock_guard lock(t.mutex);
  ULONG_PTR value = t.next;
  t.next += 4;
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> findHandle(HANDLE handle) {
  HandleTable& t = table();
  std::lock_guard lock(t.mutex);
  auto found = t.objects.find(reinterpret_cast<ULONG_PTR>(handle));
  return found == t.objects.end() ? nullptr : found->second;
}

bool removeHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> object;  // destroyed outside the lock
  HandleTable& t = table();
  std::lock_guard lock(t.mutex);
  auto found = t.objects.find(reinterpret_cast<ULONG_PTR>(handle));
  if (found == t.objects.end()) return false;
  object = std::move(found->second);
  t.objects.erase(found);
  return true;
}

std::string utf8(std::u16string_view text) {
  std::string out;
  if (text.empty()) return out;
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) throw std::bad_alloc();  // UTF-8 takes every text: only memory can be short
  out.resize(size_t(n));
  if (WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr) != n)
    throw std::bad_alloc();
  return out;
}

std::string hostPath(LPCWSTR path) {
  std::string out = path ? utf8(path) : std::string();
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

DWORD errorOf(int e) {
  switch (e) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EWOULDBLOCK: return ERROR_SHARING_VIOLATION;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    default: return ERROR_IO_DEVICE;
  }
}

BOOL failWithErrno() {
  SetLastError(errorOf(errno));
  return FALSE;
}

}  // namespace qel::posix

extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
  if (qel::posix::removeHandle(hObject)) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
