/* The event-log and mailslot channels. */
#include <mutex>

#include "registry/RegistryHelpers.h"
#include "trace/TraceInternal.h"

namespace qel::trace {
namespace {

// The open mailslot, shared by every trace object of the process.
struct Mailslot {
  std::mutex mutex;
  HANDLE handle = INVALID_HANDLE_VALUE;
};

Mailslot& mailslot() {
  static Mailslot* m = new Mailslot;  // outlives exit handlers
  return *m;
}

void dropHandle(Mailslot& m) {
  if (m.handle != INVALID_HANDLE_VALUE) CloseHandle(m.handle);
  m.handle = INVALID_HANDLE_VALUE;
}

}  // namespace

bool reportEvent(const TraceObject* t, ULONG level, const std::vector<Text>& strings) {
  HANDLE source = RegisterEventSourceW(nullptr, t->szEventSource);
  if (!source) return true;  // this event is skipped, the channel stays on
  std::vector<LPCWSTR> texts;
  for (const Text& s : strings) texts.push_back(s.c_str());
  BOOL reported =
      ReportEventW(source, eventType(t, level), 0, 1, nullptr, WORD(texts.size()), 0, texts.data(), nullptr);
  DeregisterEventSource(source);
  return reported != FALSE;
}

void registerEventSource(TraceObject* t) {
  const Text keyPath =
      QEL_W("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") + Text(t->szEventSource);
  const Text messageFile = QEL_W("%SystemRoot%\\System\\") + Text(t->szEventSource) + QEL_W(".msg");
  const DWORD types = 7;
  HKEY key = nullptr;
  if (CreateRegKey(HKEY_LOCAL_MACHINE, keyPath.c_str(), QEL_REG_WRITE, &key) != ERROR_SUCCESS) {
    t->bEventLog = 0;
    return;
  }
  if (RegSetValueExW(key, QEL_W("EventMessageFile"), 0, REG_EXPAND_SZ,
                     reinterpret_cast<const BYTE*>(messageFile.c_str()),
                     DWORD((messageFile.size() + 1) * sizeof(WCHAR))) != ERROR_SUCCESS ||
      RegSetValueExW(key, QEL_W("TypesSupported"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                     sizeof types) != ERROR_SUCCESS)
    t->bEventLog = 0;
  CloseRegKey(key);
}

void sendToMailslot(const TraceObject* t, TextView line) {
  Mailslot& m = mailslot();
  std::lock_guard lock(m.mutex);
  if (m.handle == INVALID_HANDLE_VALUE)
    m.handle = CreateFileW(t->szMailslot, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const DWORD bytes = DWORD((line.size() + 1) * sizeof(WCHAR));  // the terminator travels too
  if (m.handle == INVALID_HANDLE_VALUE || !WriteFile(m.handle, line.data(), bytes, &written, nullptr))
    dropHandle(m);  // the next record opens it again
}

void forgetMailslot() {
  Mailslot& m = mailslot();
  std::lock_guard lock(m.mutex);
  dropHandle(m);
}

}  // namespace qel::trace
