/* Trace and the formatted forms: one record line to every channel that is on. */
#include <cstdarg>
#include <iterator>

#include "frame/Boundary.h"
#include "trace/TraceInternal.h"

namespace qel::trace {
namespace {

void appendToFile(TraceObject* t, std::string text) {
  FileAppender file(t->szFileName);
  if (!file.isOpen()) return;  // this record misses the file; nothing changes
  file.add(std::move(text));
  // The size only matters under a limit.
  const long long size = file.close(t->nSizeKB > 0);
  if (size >= 0 && sizeExceeded(t, size)) return openFile(t);
  // The record that crosses midnight stays in yesterday's file.
  if (namedForToday(t)) return;
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

// Copies as much of a text as fits before `last`; returns the end.
WCHAR* putCut(WCHAR* out, const WCHAR* last, const WCHAR* text) {
  while (*text && out < last) *out++ = *text++;
  return out;
}

}  // namespace

WCHAR* putPrefix(WCHAR* out, ULONG level) {
  static constexpr WCHAR kLetters[] = QEL_W("?DIWEA");
  SYSTEMTIME now;
  GetLocalTime(&now);
  // "%c%02d%02d%02d %02d%02d%02d%03d ", written out: this runs per record.
  WCHAR* p = out;
  *p++ = level < 6 ? kLetters[level] : WCHAR('?');
  p = putDigits(putDigits(putDigits(p, now.wDay, 2), now.wMonth, 2), now.wYear % 100, 2);
  *p++ = ' ';
  p = putDigits(putDigits(putDigits(putDigits(p, now.wHour, 2), now.wMinute, 2), now.wSecond, 2),
                now.wMilliseconds, 3);
  *p++ = ' ';
  return p;
}

}  // namespace qel::trace

using namespace qel::trace;

extern "C" {

void QEL_CDECL Trace(TraceObject* pTrace, ULONG nLevel, LPCWSTR pszText, LPCWSTR pszExtra) {
  if (!pTrace) return;
  qel::guarded([&] {
    WCHAR line[kLineLength];  // formatted in place: a record costs no heap
    const WCHAR* const last = line + kLineLength - 1;
    WCHAR* end = putPrefix(line, nLevel);
    if (pszText) end = putCut(end, last, pszText);
    if (pszExtra && end < last) {
      *end++ = ' ';
      end = putCut(end, last, pszExtra);
    }
    *end = 0;
    // The file's bytes are made before the lock too, so that writers on
    // other threads convert while one writes.
    const TextView view(line, size_t(end - line));
    std::string text = pTrace->bFile ? fileText(view) : std::string();
    Lock lock(pTrace);
    if (pTrace->bDebug) {
      OutputDebugStringW(line);
      OutputDebugStringW(QEL_W("\n"));
    }
    if (pTrace->bFile) appendToFile(pTrace, text.empty() ? fileText(view) : std::move(text));
    if (pTrace->bEventLog && !reportEvent(pTrace, nLevel, {Text(line, end)})) pTrace->bEventLog = 0;
    if (pTrace->bMailslot) sendToMailslot(pTrace, view);
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
