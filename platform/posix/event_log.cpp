/* The event log on syslog(3): the source name is the ident, the event type
   the priority, and the strings are the message. */
#include "event_log.h"

#include <syslog.h>

#include <mutex>

#include "handles.h"
#include "shield.h"

namespace qel::posix {
namespace {

struct EventSource : KernelObject {
  explicit EventSource(std::u16string source) : name(std::move(source)), ident(hostPath(name.c_str())) {}
  std::u16string name;
  std::string ident;  // openlog keeps the pointer
};

struct EventLog {
  std::mutex mutex;  // openlog's ident is process-wide
  EventSink sink;
};

EventLog& eventLog() {
  static EventLog* log = new EventLog;
  return *log;
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

void setEventSink(EventSink sink) {
  std::lock_guard lock(eventLog().mutex);
  eventLog().sink = std::move(sink);
}

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
        std::vector<std::u16string> strings;
        for (WORD i = 0; i < wNumStrings; ++i) strings.emplace_back(lpStrings[i] ? lpStrings[i] : u"");
        EventLog& log = eventLog();
        std::lock_guard lock(log.mutex);
        if (log.sink)
          return log.sink(source->name, wType, strings) ? TRUE : (SetLastError(ERROR_IO_DEVICE), FALSE);
        std::u16string message;
        for (const auto& s : strings) message += s;
        openlog(source->ident.c_str(), LOG_PID, LOG_USER);
        syslog(priorityOf(wType), "%s", utf8(message).c_str());
        closelog();
        return TRUE;
      },
      FALSE);
}

BOOL WINAPI DeregisterEventSource(HANDLE hEventLog) {
  if (!handleOf<EventSource>(hEventLog)) return FALSE;
  return CloseHandle(hEventLog);
}

}  // extern "C"
