/* Directory searches, temporary names, moving and deleting files. */
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>
#include <vector>

#include "handles.h"
#include "shield.h"
#include "syscalls.h"
#include "wide_case.h"

namespace qel::posix {
namespace {

std::u16string wideName(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::u16string out(size_t(n), 0);
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
  return out;
}

// * and ? without regard to case; a final ".*" also matches no extension.
bool matches(const char16_t* name, const char16_t* pattern) {
  if (*pattern == 0) return *name == 0;
  if (*pattern == u'*') {
    for (const char16_t* rest = name;; ++rest) {
      if (matches(rest, pattern + 1)) return true;
      if (*rest == 0) return false;
    }
  }
  if (pattern[0] == u'.' && pattern[1] == u'*' && pattern[2] == 0 && *name == 0) return true;
  if (*name == 0) return false;
  if (*pattern != u'?' && upperLetter(*pattern) != upperLetter(*name)) return false;
  return matches(name + 1, pattern + 1);
}

FILETIME fileTime(const timespec& t) {
  // 100-ns intervals since 1601-01-01.
  const ULONGLONG ticks = (ULONGLONG(t.tv_sec) + 11644473600ull) * 10000000ull + ULONGLONG(t.tv_nsec) / 100;
  return FILETIME{DWORD(ticks), DWORD(ticks >> 32)};
}

struct Search : KernelObject {
  std::vector<WIN32_FIND_DATAW> entries;
  size_t next = 0;
};

WIN32_FIND_DATAW entryOf(const std::string& path, const std::u16string& name) {
  WIN32_FIND_DATAW data{};
  struct stat st;
  if (sys::stat(path.c_str(), &st) == 0) {
    data.dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    data.nFileSizeHigh = DWORD(ULONGLONG(st.st_size) >> 32);
    data.nFileSizeLow = DWORD(ULONGLONG(st.st_size));
    data.ftCreationTime = fileTime(st.st_ctim);
    data.ftLastAccessTime = fileTime(st.st_atim);
    data.ftLastWriteTime = fileTime(st.st_mtim);
  } else {
    data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
  }
  size_t n = std::min(name.size(), size_t(MAX_PATH - 1));
  name.copy(data.cFileName, n);
  data.cFileName[n] = 0;
  return data;
}

}  // namespace
}  // namespace qel::posix

using namespace qel::posix;

extern "C" {

HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
  return qel::posix::shielded(
      [&]() -> HANDLE {
        const std::string path = hostPath(lpFileName);
        const size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : path.substr(0, slash);
        const std::u16string pattern = wideName(slash == std::string::npos ? path : path.substr(slash + 1));
        const sys::Directory dir(sys::opendir(folder.c_str()));
        if (!dir || !lpFindFileData) {
          SetLastError(!lpFindFileData   ? ERROR_INVALID_PARAMETER
                       : errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                         : errorOf(errno));
          return INVALID_HANDLE_VALUE;
        }
        auto search = std::make_shared<Search>();
        while (dirent* entry = sys::readdir(dir.get())) {
          const std::u16string name = wideName(entry->d_name);
          if (matches(name.c_str(), pattern.c_str()))
            search->entries.push_back(entryOf(folder + "/" + entry->d_name, name));
        }
        if (search->entries.empty()) {
          SetLastError(ERROR_FILE_NOT_FOUND);
          return INVALID_HANDLE_VALUE;
        }
        *lpFindFileData = search->entries[search->next++];
        return addHandle(search);
      },
      INVALID_HANDLE_VALUE);
}

BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
  return qel::posix::shielded(
      [&]() -> BOOL {
        auto search = handleOf<Search>(hFindFile);
        if (!search) return FALSE;
        if (search->next >= search->entries.size()) {
          SetLastError(ERROR_NO_MORE_FILES);
          return FALSE;
        }
        *lpFindFileData = search->entries[search->next++];
        return TRUE;
      },
      FALSE);
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  if (!handleOf<Search>(hFindFile)) return FALSE;
  return CloseHandle(hFindFile);
}

UINT WINAPI GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique,
                             LPWSTR lpTempFileName) {
  return qel::posix::shielded(
      [&]() -> UINT {
        if (!lpPathName || !lpTempFileName) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return 0;
        }
        std::u16string folder(lpPathName);
        if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
        std::u16string prefix = lpPrefixString ? std::u16string(lpPrefixString).substr(0, 3) : u"";
        auto nameFor = [&](UINT number) {
          WCHAR hex[8];
          _snwprintf(hex, 8, u"%X", number);
          return folder + prefix + hex + u".TMP";
        };
        auto deliver = [&](const std::u16string& name) {
          if (name.size() >= MAX_PATH) return false;
          name.copy(lpTempFileName, name.size());
          lpTempFileName[name.size()] = 0;
          return true;
        };
        if (uUnique) {  // the name only; nothing is created
          if (!deliver(nameFor(uUnique & 0xFFFF))) return SetLastError(ERROR_BUFFER_OVERFLOW), 0;
          return uUnique & 0xFFFF;
        }
        const UINT start = UINT(getpid() ^ time(nullptr)) & 0xFFFF;
        for (UINT i = 0; i < 0xFFFF; ++i) {
          const UINT number = (start + i) % 0xFFFF + 1;
          const std::u16string name = nameFor(number);
          int fd = sys::open(hostPath(name.c_str()).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
          if (fd < 0 && errno == EEXIST) continue;
          if (fd < 0) return failWithErrno(), 0;
          sys::close(fd);
          if (!deliver(name)) return SetLastError(ERROR_BUFFER_OVERFLOW), 0;
          return number;
        }
        SetLastError(ERROR_FILE_EXISTS);
        return 0;
      },
      0);
}

BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
  return qel::posix::shielded(
      [&]() -> BOOL {
        const std::string from = hostPath(lpExistingFileName), to = hostPath(lpNewFileName);
        struct stat st;
        if (from.empty() || to.empty()) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
        if (!(dwFlags & MOVEFILE_REPLACE_EXISTING) && sys::stat(to.c_str(), &st) == 0)
          return SetLastError(ERROR_ALREADY_EXISTS), FALSE;
        return sys::rename(from.c_str(), to.c_str()) == 0 ? TRUE : failWithErrno();
      },
      FALSE);
}

BOOL WINAPI DeleteFileW(LPCWSTR lpFileName) {
  return qel::posix::shielded(
      [&]() -> BOOL {
        const std::string path = hostPath(lpFileName);
        struct stat st;
        if (sys::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
          return SetLastError(ERROR_ACCESS_DENIED), FALSE;
        return sys::unlink(path.c_str()) == 0 ? TRUE : failWithErrno();
      },
      FALSE);
}

}  // extern "C"
