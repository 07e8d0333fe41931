/* The event log on syslog(3): the source name is the ident, the event type
   the priority, and the strings are the message. */
#include <qel/win32.h>
#include <syslog.h>

#include <mutex>

#include "handles.h"
#include "shield.h"
#include "syscalls.h"

namespace qel::posix {
namespace {

struct EventSource : KernelObject {
  explicit EventSource(std::u16string source) : name(std::move(source)), ident(hostPath(name.c_str())) {}
  std::u16string name;
  std::string ident;  // openlog keeps the pointer
};

// openlog's ident is process-wide.
std::mutex& logLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

int priorityOf(WORD type) {
  switch (type) {
    case EVENTLOG_ERROR_TYPE: return LOG_ERR;
    case EVENTLOG_WARNING_TYPE: return LOG_WARNING;
    case EVENTLOG_INFORMATION_TYPE: return LOG_INFO;
    default: return LOG_NOTICE;
  }
}

}  // namespace

}  // namespace qel::posix

using namespace qel::posix;

extern "C" {

HANDLE WINAPI RegisterEventSourceW(LPCWSTR lpUNCServerName, LPCWSTR lpSourceName) {
  return qel::posix::shielded(
      [&]() -> HANDLE {
        if (!lpSourceName) return SetLastError(ERROR_INVALID_PARAMETER), nullptr;
        if (lpUNCServerName && *lpUNCServerName)
          return SetLastError(ERROR_BAD_NETPATH), nullptr;  // no network here
        return addHandle(std::make_shared<EventSource>(lpSourceName));
      },
      nullptr);
}

BOOL WINAPI ReportEventW(HANDLE hEventLog, WORD wType, WORD, DWORD, PSID, WORD wNumStrings, DWORD,
                         LPCWSTR* lpStrings, LPVOID) {
  return qel::posix::shielded(
      [&]() -> BOOL {
        auto source = handleOf<EventSource>(hEventLog);
        if (!source) return FALSE;
        if (wNumStrings && !lpStrings) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
        std::u16string message;
        for (WORD i = 0; i < wNumStrings; ++i)
          if (lpStrings[i]) message += lpStrings[i];
        std::lock_guard lock(logLock());
        if (int error = sys::reportEvent(source->ident.c_str(), priorityOf(wType), utf8(message).c_str()))
          return SetLastError(errorOf(error)), FALSE;
        return TRUE;
      },
      FALSE);
}

BOOL WINAPI DeregisterEventSource(HANDLE hEventLog) {
  if (!handleOf<EventSource>(hEventLog)) return FALSE;
  return CloseHandle(hEventLog);
}

}  // extern "C"
