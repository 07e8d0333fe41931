/*
 * The dumps: a header and lines of wide text (60 characters) or rows of
 * bytes (32, in hexadecimal and as characters), to the file and the
 * debugger line by line and to the event log as one event.
 */

#include "frame/Boundary.h"
#include "trace/TraceInternal.h"

namespace qel::trace {
namespace {

constexpr size_t kMaxEventStrings = 100;
constexpr LONG kAsciiLine = 60, kHexRow = 32;

// Where the lines of one dump go; the file is opened once for all of them.
class DumpOutput {
 public:
  explicit DumpOutput(TraceObject* t) : t_(t), file_(t->bFile ? t->szFileName : QEL_W("")) {}

  void emit(const Text& line) {
    if (file_.isOpen()) file_.add(fileText(line));
    if (t_->bDebug) {
      OutputDebugStringW(line.c_str());
      OutputDebugStringW(QEL_W("\n"));
    }
    if (t_->bEventLog && events_.size() < kMaxEventStrings) events_.push_back(line + QEL_W("\n"));
  }

  void finish(ULONG level) {
    file_.close();
    if (t_->bEventLog && !reportEvent(t_, level, events_)) t_->bEventLog = 0;
  }

 private:
  TraceObject* t_;
  FileAppender file_;
  std::vector<Text> events_;
};

// Printable in the runtime's locale: letters, digits, punctuation, blank.
bool printable(BYTE b) {
  if (b >= 0x20 && b < 0x7F) return true;
  return b >= 0xA0 && !runtimeInCLocale();
}

Text header(ULONG level, const WCHAR* format, LPCWSTR title, LONG count) {
  WCHAR text[kLineLength];
  WCHAR before[kPrefixLength + 1];
  *putPrefix(before, level) = 0;
  if (checkedFormat([&] {
        return _snwprintf(text, kLineLength, format, before, title ? title : QEL_W(""), int(count));
      }) < 0)
    text[kLineLength - 1] = 0;
  return text;
}

void asciiDump(TraceObject* t, ULONG level, LPCWSTR title, const WCHAR* data, LONG count) {
  Lock lock(t);
  DumpOutput out(t);
  out.emit(header(level, QEL_W("%sASCII Dump: %s (%d Chars)"), title, count));
  for (LONG remaining = count; data && remaining > 0; remaining -= kAsciiLine, data += kAsciiLine) {
    const int n = int(remaining < kAsciiLine ? remaining : kAsciiLine);
    WCHAR line[kAsciiLine + 1];
    // A NUL in the slice leaves leading blanks.
    checkedFormat([&] { return _snwprintf(line, kAsciiLine + 1, QEL_W("%*.*s"), n, n, data); });
    out.emit(line);
  }
  out.finish(level);
}

void hexDump(TraceObject* t, ULONG level, LPCWSTR title, const BYTE* data, LONG count) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Lock lock(t);
  DumpOutput out(t);
  out.emit(header(level, QEL_W("%sHEX Dump: %s (%d Bytes)"), title, count));
  for (LONG remaining = count; data && remaining > 0; remaining -= kHexRow, data += kHexRow) {
    const LONG n = remaining < kHexRow ? remaining : kHexRow;
    Text hex, chars;
    for (LONG i = 0; i < kHexRow; ++i) {
      if (i >= n) {
        hex += QEL_W("-- ");
        continue;
      }
      hex += WCHAR(kHex[data[i] >> 4]);
      hex += WCHAR(kHex[data[i] & 15]);
      hex += ' ';
      chars += printable(data[i]) ? WCHAR(data[i]) : WCHAR('_');
    }
    out.emit(hex + QEL_W("     ") + chars);
  }
  out.finish(level);
}

bool dumpGates(TraceObject* t, ULONG level) { return anyChannel(t) && TraceLevelEnabled(t, level); }

}  // namespace
}  // namespace qel::trace

using namespace qel::trace;

extern "C" {

void QEL_CDECL TraceAscii(TraceObject* pTrace, ULONG nLevel, LPCWSTR pszTitle, const WCHAR* pData,
                          LONG nCount) {
  if (pTrace && dumpGates(pTrace, nLevel))
    qel::guarded([&] { asciiDump(pTrace, nLevel, pszTitle, pData, nCount); });
}

void QEL_CDECL TraceAsciiF(TraceObject* pTrace, ULONG nLevel, ULONG nFacility, LPCWSTR pszTitle,
                           const WCHAR* pData, LONG nCount) {
  if (pTrace && TraceFacilityEnabled(pTrace, nLevel, nFacility))
    TraceAscii(pTrace, nLevel, pszTitle, pData, nCount);
}

void QEL_CDECL TraceHex(TraceObject* pTrace, ULONG nLevel, LPCWSTR pszTitle, const BYTE* pData, LONG nCount) {
  if (pTrace && dumpGates(pTrace, nLevel))
    qel::guarded([&] { hexDump(pTrace, nLevel, pszTitle, pData, nCount); });
}

void QEL_CDECL TraceHexF(TraceObject* pTrace, ULONG nLevel, ULONG nFacility, LPCWSTR pszTitle,
                         const BYTE* pData, LONG nCount) {
  if (pTrace && TraceFacilityEnabled(pTrace, nLevel, nFacility))
    TraceHex(pTrace, nLevel, pszTitle, pData, nCount);
}

}  // extern "C"
