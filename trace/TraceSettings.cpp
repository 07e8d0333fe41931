/*
 * TraceInit and the gates: settings from the registry with their
 * defaults, the level mask and the facility switches.
 */
#include <cstring>
#include <iterator>

#include "frame/Boundary.h"
#include "frame/ScopeGuards.h"
#include "registry/RegistryHelpers.h"
#include "trace/TraceInternal.h"

extern "C" {
TraceObject TraceObj;
TraceObject* pTraceObj = &TraceObj;
LONG bTraceObjInitialized = 0;
}

namespace qel::trace {
namespace {

constexpr WORD kEventTypes[6] = {EVENTLOG_INFORMATION_TYPE, EVENTLOG_SUCCESS,    EVENTLOG_INFORMATION_TYPE,
                                 EVENTLOG_WARNING_TYPE,     EVENTLOG_ERROR_TYPE, EVENTLOG_INFORMATION_TYPE};

void setDefaults(TraceObject* t) {
  t->nSizeKB = 10000;
  t->nDays = 0;
  t->bFile = t->bDebug = t->bEventLog = t->bMailslot = t->bWinNT = 0;
  t->dwLevelMask = 0;
  for (DWORD& f : t->adwFacility) f = 1;
  t->szFileName[0] = t->szLastFileName[0] = t->szBaseName[0] = t->szMailslot[0] = 0;
  std::memcpy(t->awEventType, kEventTypes, sizeof kEventTypes);
  forgetMailslot();
}

Text readString(HKEY key, const WCHAR* name, DWORD limit, const WCHAR* fallback, bool* found = nullptr) {
  std::vector<WCHAR> buffer(limit);
  DWORD size = limit;
  LONG status = QueryRegEntryString(key, name, buffer.data(), &size, fallback);
  if (found) *found = status == ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return fallback;
  // A value stored without its terminator ends at the size read.
  return Text(buffer.data(), size > 0 && buffer[size - 1] == 0 ? size - 1 : size);
}

// Digit runs switch facilities off; anything else separates them.
void disableFacilities(TraceObject* t, const Text& list) {
  for (size_t i = 0; i < list.size();) {
    if (list[i] < '0' || list[i] > '9') {
      ++i;
      continue;
    }
    ULONGLONG number = 0;
    for (; i < list.size() && list[i] >= '0' && list[i] <= '9'; ++i)
      if (number <= 0xFFFFFFFFull) number = number * 10 + ULONG(list[i] - '0');
    EnableTrace(t, number > 0xFFFFFFFFull ? 0xFFFFFFFFu : ULONG(number), 0);
  }
}

void loadSettings(TraceObject* t, LPCWSTR keyPath, LPCWSTR name, bool appendPid) {
  qel::OpenKey open;
  if (OpenRegKey(HKEY_LOCAL_MACHINE, keyPath, QEL_REG_READ, open.out()) != ERROR_SUCCESS) return;
  const HKEY key = open.get();
  const struct {
    const WCHAR* value;
    LONG* field;
    LONG fallback;
  } numbers[] = {{QEL_W("TRACESIZE"), &t->nSizeKB, 10000},
                 {QEL_W("TRACEDAYS"), &t->nDays, 0},
                 {QEL_W("TRACELEVEL"), reinterpret_cast<LONG*>(&t->dwLevelMask), 0},
                 {QEL_W("TRACEDEBUG"), reinterpret_cast<LONG*>(&t->bDebug), 0},
                 {QEL_W("TRACEFILE"), reinterpret_cast<LONG*>(&t->bFile), 0},
                 {QEL_W("TRACEEVENTLOG"), reinterpret_cast<LONG*>(&t->bEventLog), 0},
                 {QEL_W("TRACEMAILSLOT"), reinterpret_cast<LONG*>(&t->bMailslot), 0}};
  for (const auto& n : numbers) QueryRegEntryLong(key, n.value, n.field, n.fallback);
  disableFacilities(t, readString(key, QEL_W("DISABLED_FACILITIES"), 250, QEL_W("")));
  copyField(
      t->szEventSource, std::size(t->szEventSource),
      readString(key, QEL_W("EVENTSOURCE"), DWORD(std::size(t->szEventSource)), QEL_W("QELORA-STDTrace")));
  copyField(t->szTracePath, std::size(t->szTracePath),
            readString(key, QEL_W("TRACEPATH"), DWORD(std::size(t->szTracePath)), QEL_W("")));
  // A mailslot name too long for the field leaves no mailslot to open.
  copyField(t->szMailslot, std::size(t->szMailslot),
            QEL_W("\\\\*\\mailslot\\") + readString(key, QEL_W("MAILSLOT"), 250, QEL_W("")));

  bool named = name && *name;
  Text traceName = named ? Text(name) : readString(key, QEL_W("DEFAULT_TRACEFILE"), 255, QEL_W(""), &named);
  open.close();
  if (!named) return;
  if (appendPid) {
    WCHAR pid[16];
    checkedFormat([&] { return _snwprintf(pid, 16, QEL_W(".%04d"), int(GetCurrentProcessId())); });
    traceName += pid;
  }
  // The dated name adds 12 characters; a base name that leaves no room for
  // them is refused, and the file channel with it.
  if (!copyField(t->szFileName, std::size(t->szFileName) - 12, t->szTracePath + traceName)) t->bFile = 0;
  copyField(t->szBaseName, std::size(t->szBaseName), t->szFileName);
}

Text disabledList(const TraceObject* t) {
  Text list;
  for (int f = 0; f < int(std::size(t->adwFacility)); ++f) {
    if (t->adwFacility[f]) continue;
    WCHAR number[16];
    checkedFormat([&] { return _snwprintf(number, 16, list.empty() ? QEL_W("%d") : QEL_W(", %d"), f); });
    list += number;
  }
  return list;
}

}  // namespace

bool anyChannel(const TraceObject* t) { return t->bDebug || t->bFile || t->bEventLog || t->bMailslot; }

WORD eventType(const TraceObject* t, ULONG level) {
  return level < 6 ? t->awEventType[level] : WORD(EVENTLOG_INFORMATION_TYPE);
}

bool copyField(WCHAR* field, size_t capacity, const Text& text) {
  const bool fits = text.size() < capacity;
  const size_t n = fits ? text.size() : 0;
  text.copy(field, n);
  field[n] = 0;
  return fits;
}

}  // namespace qel::trace

using namespace qel::trace;

extern "C" {

void QEL_CDECL TraceInit(TraceObject* pTrace, LPCWSTR pszKeyPath, LPCWSTR pszName, LONG bAppendPid) {
  if (!pTrace) return;
  if (pTrace == &TraceObj) {
    if (bTraceObjInitialized) return;
    bTraceObjInitialized = 1;
  }
  // The lock first: whatever fails below, the object stays safe to trace to.
  InitializeCriticalSection(&pTrace->csLock);
  const bool loaded = qel::guarded(false, [&] {
    setDefaults(pTrace);
    loadSettings(pTrace, pszKeyPath, pszName, bAppendPid != 0);
    return true;
  });
  if (!loaded) {  // no memory for the settings: the trace stays off
    pTrace->bFile = pTrace->bDebug = pTrace->bEventLog = pTrace->bMailslot = 0;
    pTrace->dwLevelMask = 0;
    return;
  }
  qel::guarded([&] {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT)
      pTrace->bWinNT = 1;
    else
      pTrace->bEventLog = 0;
    if (pTrace->bFile) openFile(pTrace);
    if (pTrace->bEventLog) registerEventSource(pTrace);
    Trace(pTrace, 5, QEL_W("*** T R A C E   S T A R T E D"), nullptr);
    Trace(pTrace, 5, QEL_W("*** Disabled Facilities:"), disabledList(pTrace).c_str());
  });
}

LONG QEL_CDECL TraceLevelEnabled(TraceObject* pTrace, ULONG nLevel) {
  return pTrace && ((pTrace->dwLevelMask >> ((nLevel - 1) % 32)) & 1) ? 1 : 0;
}

LONG QEL_CDECL TraceFacilityEnabled(TraceObject* pTrace, ULONG, ULONG nFacility) {
  if (nFacility >= 256) return 1;
  return pTrace ? LONG(pTrace->adwFacility[nFacility]) : 0;
}

LONG QEL_CDECL EnableTrace(TraceObject* pTrace, ULONG nFacility, LONG bEnable) {
  if (!pTrace || nFacility >= 256) return 0;
  LONG previous = LONG(pTrace->adwFacility[nFacility]);
  pTrace->adwFacility[nFacility] = DWORD(bEnable);
  return previous;
}

}  // extern "C"
