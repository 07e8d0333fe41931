/* Debugger output, the Windows version and the process id. */
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "handles.h"
#include "shield.h"
#include "syscalls.h"

namespace sys = qel::posix::sys;

extern "C" {

void WINAPI OutputDebugStringW(LPCWSTR lpOutputString) {
  qel::posix::shielded([&] {
    const char* target = std::getenv("QELBASE_DEBUG_OUTPUT");
    if (!target || !*target || !lpOutputString) return;  // no debugger attached
    const int length = int(std::char_traits<WCHAR>::length(lpOutputString));
    int n = WideCharToMultiByte(CP_UTF8, 0, lpOutputString, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    std::string text(size_t(n), 0);
    WideCharToMultiByte(CP_UTF8, 0, lpOutputString, length, text.data(), n, nullptr, nullptr);
    const bool toStderr = std::strcmp(target, "-") == 0;
    int fd = toStderr ? 2 : sys::open(target, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return;
    ssize_t ignored = sys::write(fd, text.data(), text.size());  // one write: lines of threads stay whole
    (void)ignored;
    if (!toStderr) sys::close(fd);
  });
}

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW lpVersionInformation) {
  if (!lpVersionInformation || lpVersionInformation->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW))
    return SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE;
  lpVersionInformation->dwMajorVersion = 6;
  lpVersionInformation->dwMinorVersion = 1;
  lpVersionInformation->dwBuildNumber = 7601;
  lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memcpy(lpVersionInformation->szCSDVersion, u"Service Pack 1", sizeof u"Service Pack 1");
  return TRUE;
}

DWORD WINAPI GetCurrentProcessId(void) { return DWORD(getpid()); }

}  // extern "C"
