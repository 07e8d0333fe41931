/* What the trace's parts share: gates, the record prefix, the file and
   the channels.  All of it runs under the object's lock where it says so. */
#ifndef QELBASE_TRACE_INTERNAL_H
#define QELBASE_TRACE_INTERNAL_H

#include <cerrno>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "trace/Trace.h"

namespace qel::trace {

using Text = std::basic_string<WCHAR>;
using TextView = std::basic_string_view<WCHAR>;

constexpr size_t kLineLength = 2048;  // a record, terminator included

// One of the runtime's formatting calls.  Lack of memory there (-1 with
// errno ENOMEM) becomes std::bad_alloc, so that the record is dropped
// whole instead of going out empty.
template <class Call>
int checkedFormat(Call&& call) {
  errno = 0;
  const int n = call();
  if (n < 0 && errno == ENOMEM) throw std::bad_alloc();
  return n;
}

bool anyChannel(const TraceObject* t);
constexpr size_t kPrefixLength = 18;
// Writes the prefix of a record of `level` written now; returns its end.
WCHAR* putPrefix(WCHAR* out, ULONG level);
WORD eventType(const TraceObject* t, ULONG level);

// Holds the object's recursive lock for a scope.
class Lock {
 public:
  explicit Lock(TraceObject* t) : t_(t) { EnterCriticalSection(&t_->csLock); }
  ~Lock() { LeaveCriticalSection(&t_->csLock); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  TraceObject* t_;
};

// Whether the runtime's character type is the "C" locale's, where text
// output writes the low 256 code points as bytes.
bool runtimeInCLocale();
// The bytes the trace file gets for a line, CR LF included.
std::string fileText(TextView line);

// The trace file opened for appending, for one record or one dump; lines
// go out in one write when it closes, as the runtime's stream would.
class FileAppender {
 public:
  explicit FileAppender(const WCHAR* name);
  ~FileAppender();
  FileAppender(const FileAppender&) = delete;
  FileAppender& operator=(const FileAppender&) = delete;
  bool isOpen() const;
  void add(std::string text);  // a line as fileText gives it
  // Writes what was added and closes; the file's size after it when
  // `wantSize` (-1 when unknown), else 0.
  long long close(bool wantSize = false);

 private:
  HANDLE file_;
  std::string bytes_;
};

// Today's file name for the object: base name + YYYYMMDD + ".log".
Text todaysFileName(const TraceObject* t);
// Whether the object's file name ends in today's date and ".log".
bool namedForToday(const TraceObject* t);

// `value` as at least `width` decimal digits, zero-padded, as %0*d writes
// it; returns the end.
inline WCHAR* putDigits(WCHAR* out, unsigned value, int width) {
  WCHAR digits[10];
  int n = 0;
  do digits[n++] = WCHAR('0' + value % 10), value /= 10;
  while (value);
  while (n < width) digits[n++] = '0';
  while (n) *out++ = digits[--n];
  return out;
}
// Case-blind comparison of file names.
bool sameFileName(const WCHAR* a, const WCHAR* b);
// The file roll: today's name, clean-up on a new name, the size limit.
void openFile(TraceObject* t);
bool sizeExceeded(const TraceObject* t, long long size);

// The event-log channel: one event with these strings; false when the
// report failed (the source not opening is no failure).
bool reportEvent(const TraceObject* t, ULONG level, const std::vector<Text>& strings);
void registerEventSource(TraceObject* t);
// The mailslot channel, shared by all objects; `line` is followed by its
// terminator, which is sent with it.
void sendToMailslot(const TraceObject* t, TextView line);
void forgetMailslot();

// Copies text into a fixed field; false (field emptied) when it does not fit.
bool copyField(WCHAR* field, size_t capacity, const Text& text);

}  // namespace qel::trace

#endif
