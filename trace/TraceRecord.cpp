/* Trace and the formatted forms: one record line to every channel that is on. */
#include <cstdarg>
#include <iterator>

#include "frame/Boundary.h"
#include "trace/TraceInternal.h"

namespace qel::trace {
namespace {

void appendToFile(TraceObject* t, const Text& line) {
  FileAppender file(t->szFileName);
  if (!file.isOpen()) return;  // this record misses the file; nothing changes
  file.add(line);
  long long size = file.close();
  if (size >= 0 && sizeExceeded(t, size)) return openFile(t);
  // The record that crosses midnight stays in yesterday's file.
  copyField(t->szFileName, std::size(t->szFileName), todaysFileName(t));
  if (!sameFileName(t->szFileName, t->szLastFileName)) openFile(t);
}

void formatted(TraceObject* t, ULONG level, LPCWSTR format, va_list args) {
  WCHAR text[kLineLength];
  const bool made = qel::guarded(false, [&] {
    if (checkedFormat([&] { return _vsnwprintf(text, kLineLength, format ? format : QEL_W(""), args); }) < 0)
      text[kLineLength - 1] = 0;  // cut
    return true;
  });
  if (made) Trace(t, level, text, nullptr);
}

}  // namespace

Text prefix(ULONG level) {
  static constexpr WCHAR kLetters[] = QEL_W("?DIWEA");
  SYSTEMTIME now;
  GetLocalTime(&now);
  WCHAR text[32];
  checkedFormat([&] {
    return _snwprintf(text, 32, QEL_W("%c%02d%02d%02d %02d%02d%02d%03d "),
                      level < 6 ? kLetters[level] : WCHAR('?'), int(now.wDay), int(now.wMonth),
                      int(now.wYear % 100), int(now.wHour), int(now.wMinute), int(now.wSecond),
                      int(now.wMilliseconds));
  });
  return text;
}

}  // namespace qel::trace

using namespace qel::trace;

extern "C" {

void QEL_CDECL Trace(TraceObject* pTrace, ULONG nLevel, LPCWSTR pszText, LPCWSTR pszExtra) {
  if (!pTrace) return;
  qel::guarded([&] {
    Text line = prefix(nLevel);
    if (pszText) line += pszText;
    if (pszExtra) (line += ' ') += pszExtra;
    if (line.size() >= kLineLength) line.resize(kLineLength - 1);
    Lock lock(pTrace);
    if (pTrace->bDebug) {
      OutputDebugStringW(line.c_str());
      OutputDebugStringW(QEL_W("\n"));
    }
    if (pTrace->bFile) appendToFile(pTrace, line);
    if (pTrace->bEventLog && !reportEvent(pTrace, nLevel, {line})) pTrace->bEventLog = 0;
    if (pTrace->bMailslot) sendToMailslot(pTrace, line);
  });
}

void QEL_CDECL TraceVA(TraceObject* pTrace, ULONG nLevel, LPCWSTR pszFormat, ...) {
  if (!pTrace || !anyChannel(pTrace) || !TraceLevelEnabled(pTrace, nLevel)) return;
  va_list args;
  va_start(args, pszFormat);
  formatted(pTrace, nLevel, pszFormat, args);
  va_end(args);
}

void QEL_CDECL TraceVAF(TraceObject* pTrace, ULONG nLevel, ULONG nFacility, LPCWSTR pszFormat, ...) {
  if (!pTrace || !anyChannel(pTrace) || !TraceLevelEnabled(pTrace, nLevel) ||
      !TraceFacilityEnabled(pTrace, nLevel, nFacility))
    return;
  va_list args;
  va_start(args, pszFormat);
  formatted(pTrace, nLevel, pszFormat, args);
  va_end(args);
}

}  // extern "C"
