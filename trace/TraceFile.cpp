/*
 * The trace file: appending records, the daily name, the size limit with
 * its shrink to the last third, and the removal of old daily files.
 */
#include <qel/wcrt.h>

#include <clocale>
#include <cstring>
#include <iterator>

#include "datetime/DateTime.h"
#include "frame/Heap.h"
#include "trace/TraceInternal.h"

namespace qel::trace {
namespace {

constexpr size_t kDateLength = 8;  // YYYYMMDD

// YYYYMMDD; returns the end.
WCHAR* putDate(WCHAR* out, const SYSTEMTIME& date) {
  return putDigits(putDigits(putDigits(out, date.wYear, 4), date.wMonth, 2), date.wDay, 2);
}

Text dateText(const SYSTEMTIME& date) {
  WCHAR text[16];
  return Text(text, putDate(text, date));
}

bool isDigit(WCHAR c) { return c >= '0' && c <= '9'; }

// Now minus TRACEDAYS days as YYYYMMDD; empty when it cannot be computed.
Text cutoffDate(const TraceObject* t) {
  SYSTEMTIME now{}, days{};
  TDGetActTime(&now);
  // The interval's day count is 16 bits wide; more days keep everything anyway.
  TDSetInterval(&days, 0, 0, WORD(t->nDays > 0xFFFF ? 0xFFFF : t->nDays), 0, 0, 0, 0);
  const TD result = TDSubst(&now, &days);
  return result ? dateText(*result) : Text();
}

// Deletes the daily files of the base name (base name, eight digits,
// ".log", nothing else) dated on or before the cut-off day.
void deleteOldFiles(const TraceObject* t) {
  if (t->nDays <= 0) return;
  const Text cut = cutoffDate(t);
  if (cut.size() != kDateLength) return;
  const Text base(t->szBaseName);
  const size_t slash = base.find_last_of(QEL_W("\\/"));
  const Text folder = slash == Text::npos ? Text() : base.substr(0, slash + 1);
  const size_t nameLength = base.size() - folder.size();
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((base + QEL_W("*.*")).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const Text name(entry.cFileName);
    if (name.size() != nameLength + kDateLength + 4 || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      continue;
    const Text date = name.substr(nameLength, kDateLength);
    bool daily = sameFileName(name.substr(nameLength + kDateLength).c_str(), QEL_W(".log"));
    for (WCHAR c : date) daily = daily && isDigit(c);
    if (daily && date <= cut) DeleteFileW((folder + name).c_str());  // failures are ignored
  } while (FindNextFileW(search, &entry));
  FindClose(search);
}

// Keeps the bytes from two thirds of the file to its end.
bool shrinkFile(const WCHAR* fileName, long long size) {
  DWORD capacity = 1 << 20;
  void* buffer = heapAlloc(capacity);
  if (!buffer) buffer = heapAlloc(capacity = 100 * 1024);
  if (!buffer) return false;
  WCHAR temporary[MAX_PATH];
  bool ok = GetTempFileNameW(QEL_W("."), QEL_W("TRA"), 0, temporary) != 0;
  if (ok) {
    HANDLE from =
        CreateFileW(fileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE to =
        CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok = from != INVALID_HANDLE_VALUE && to != INVALID_HANDLE_VALUE;
    const long long start = 2 * size / 3;
    LONG high = LONG(start >> 32);
    ok = ok && SetFilePointer(from, LONG(start & 0xFFFFFFFF), &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    for (long long at = start; ok && at < size; at += capacity) {
      DWORD read = 0, written = 0;
      ok = ReadFile(from, buffer, capacity, &read, nullptr) &&
           WriteFile(to, buffer, read, &written, nullptr) && written == read;
    }
    if (from != INVALID_HANDLE_VALUE) CloseHandle(from);
    if (to != INVALID_HANDLE_VALUE) CloseHandle(to);
    ok = ok && MoveFileExW(temporary, fileName, MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileW(temporary);
  }
  heapFree(buffer);
  return ok;
}

}  // namespace

bool runtimeInCLocale() {
  const WCHAR* locale = _wsetlocale(LC_CTYPE, nullptr);
  return locale && locale[0] == 'C' && locale[1] == 0;
}

// The runtime's text output: its locale's code page, or in the "C" locale
// the low 256 code points as bytes; CR LF at the end of every line.
std::string fileText(TextView line) {
  std::string out;
  if (runtimeInCLocale()) {
    out.reserve(line.size() + 2);
    for (WCHAR c : line) out += c < 0x100 ? char(c) : '?';
  } else if (!line.empty()) {
    int n = WideCharToMultiByte(CP_ACP, 0, line.data(), int(line.size()), nullptr, 0, nullptr, nullptr);
    out.resize(size_t(n));
    WideCharToMultiByte(CP_ACP, 0, line.data(), int(line.size()), out.data(), n, nullptr, nullptr);
  }
  out += "\r\n";
  return out;
}

FileAppender::FileAppender(const WCHAR* name)
    : file_(CreateFileW(name, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {}

FileAppender::~FileAppender() { close(); }

bool FileAppender::isOpen() const { return file_ != INVALID_HANDLE_VALUE; }

void FileAppender::add(std::string text) {
  if (bytes_.empty())
    bytes_ = std::move(text);
  else
    bytes_ += text;
}

long long FileAppender::close(bool wantSize) {
  if (!isOpen()) return -1;
  DWORD written = 0;
  WriteFile(file_, bytes_.data(), DWORD(bytes_.size()), &written, nullptr);
  bytes_.clear();
  long long size = 0;
  if (wantSize) {
    DWORD high = 0;
    DWORD low = GetFileSize(file_, &high);
    size = low == INVALID_FILE_SIZE && GetLastError() ? -1 : (long long)(ULONGLONG(high) << 32 | low);
  }
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  return size;
}

Text todaysFileName(const TraceObject* t) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return Text(t->szBaseName) + dateText(now) + QEL_W(".log");
}

bool namedForToday(const TraceObject* t) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  WCHAR date[16];
  const size_t dateLength = size_t(putDate(date, now) - date);
  const size_t length = wcslen(t->szFileName), suffix = dateLength + 4;  // YYYYMMDD.log
  return length >= suffix &&
         std::char_traits<WCHAR>::compare(t->szFileName + length - suffix, date, dateLength) == 0;
}

bool sameFileName(const WCHAR* a, const WCHAR* b) {
  for (;; ++a, ++b) {
    if (towupper(*a) != towupper(*b)) return false;
    if (!*a) return true;
  }
}

bool sizeExceeded(const TraceObject* t, long long size) {
  return t->nSizeKB > 0 && size > (long long)(t->nSizeKB) * 1024;
}

void openFile(TraceObject* t) {
  Lock lock(t);
  bool ok = copyField(t->szFileName, std::size(t->szFileName), todaysFileName(t));
  if (ok && !sameFileName(t->szFileName, t->szLastFileName)) deleteOldFiles(t);
  HANDLE file =
      ok ? CreateFileW(t->szFileName, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
         : INVALID_HANDLE_VALUE;
  ok = file != INVALID_HANDLE_VALUE;
  if (ok) {
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    const bool known = !(low == INVALID_FILE_SIZE && GetLastError());
    const long long size = (long long)(ULONGLONG(high) << 32 | low);
    CloseHandle(file);
    if (known && sizeExceeded(t, size)) ok = shrinkFile(t->szFileName, size);
    std::memcpy(t->szLastFileName, t->szFileName, sizeof t->szFileName);
  }
  if (!ok) {
    // From now on the gated operations write nothing.
    t->bFile = 0;
    t->bDebug = 0;
    t->szFileName[0] = 0;
    t->dwLevelMask = 0;
  }
}

}  // namespace qel::trace
