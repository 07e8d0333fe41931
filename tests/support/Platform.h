/* Where the tests run: Wine's own answers differ from Windows' in a few
   documented places, which the tests then leave out. */
#ifndef QEL_TESTS_PLATFORM_H
#define QEL_TESTS_PLATFORM_H

#include <qel/win32.h>

#include <cstdlib>
#include <string>

namespace qel::test {

constexpr bool onWindows() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

inline bool underWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

// A build on the old msvcrt.dll (MinGW's default runtime), whose number
// formatting differs from the Universal CRT's in exponent digits and ties.
constexpr bool onMsvcrt() {
#if defined(_WIN32) && !defined(_UCRT)
  return true;
#else
  return false;
#endif
}

// A build path as the system names it: under Wine the host's root is Z:.
inline std::string nativePath(std::string path) {
#ifdef _WIN32
  for (char& c : path)
    if (c == '/') c = '\\';
  if (path.starts_with("\\")) path = "Z:" + path;
#endif
  return path;
}

// Runs a command line to its end: its exit code, or ~0 with the last
// error in `error` when it could not start.
inline DWORD runToEnd(std::basic_string<WCHAR> line, const WCHAR* directory = nullptr,
                      void* environment = nullptr, DWORD flags = 0, DWORD* error = nullptr) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, flags, environment, directory, &startup,
                      &process)) {
    if (error) *error = GetLastError();
    return ~0u;
  }
  DWORD code = ~0u;
  if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

#ifndef _WIN32
// PATH set to this list of folders for the life of the object.
class SearchPath {
 public:
  explicit SearchPath(const std::string& folders) : saved_(getenv("PATH")) {
    setenv("PATH", folders.c_str(), 1);
  }
  ~SearchPath() { setenv("PATH", saved_.c_str(), 1); }

 private:
  std::string saved_;
};
#endif

}  // namespace qel::test

#endif
