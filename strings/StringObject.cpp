/* The string object's life cycle, access, setting and appending. */
#include "strings/StringObject.h"

#include <qel/wcrt.h>

#include <cstdint>
#include <cstring>

#include "frame/Heap.h"

namespace {

WCHAR sharedEmpty[1] = {0};  // what TSGetStr gives for an empty object

// Reallocates the block to exactly `size` characters; on failure the old text
// is released and the object left empty.
bool resize(TS ts, size_t size) {
  if (size > SIZE_MAX / sizeof(WCHAR) || size > 0xFFFFFFFFu) {
    TSInit(ts);
    return false;
  }
  auto* block = static_cast<WCHAR*>(qel::heapRealloc(ts->pText, size * sizeof(WCHAR)));
  if (!block) {
    TSInit(ts);
    return false;
  }
  ts->pText = block;
  ts->nSize = ULONG(size);
  return true;
}

LONG lengthOf(const TSString* ts) { return ts->nSize ? LONG(ts->nSize - 1) : 0; }

}  // namespace

extern "C" {

TS QEL_CDECL TSNew(void) { return static_cast<TS>(qel::heapCalloc(1, sizeof(TSString))); }

void QEL_CDECL TSClear(TS ts) {
  ts->pText = nullptr;
  ts->nSize = 0;
}

TS QEL_CDECL TSInit(TS ts) {
  qel::heapFree(ts->pText);
  TSClear(ts);
  return ts;
}

void QEL_CDECL TSFree(TS ts) {
  if (!ts) return;
  TSInit(ts);
  qel::heapFree(ts);
}

TS QEL_CDECL TSClone(const WCHAR* s) { return TSCloneN(s, ULONG(wcslen(s))); }

TS QEL_CDECL TSCloneN(const WCHAR* s, ULONG nCount) {
  TS ts = TSNew();
  if (ts && !TSSetStrN(ts, s, nCount)) {
    TSFree(ts);
    return nullptr;
  }
  return ts;
}

WCHAR* QEL_CDECL TSGetStr(TS ts) { return ts->nSize ? ts->pText : sharedEmpty; }

LONG QEL_CDECL TSGetLen(const TSString* ts) { return lengthOf(ts); }

INT QEL_CDECL TSEmpty(const TSString* ts) { return ts->nSize == 0; }

WCHAR QEL_CDECL TSGetChar(const TSString* ts, LONG nIndex) {
  if (ts->nSize == 0 || nIndex < 0 || ULONG(nIndex) >= ts->nSize) return 0;
  return ts->pText[nIndex];
}

TS QEL_CDECL TSSetStr(TS ts, const WCHAR* s) { return TSSetStrN(ts, s, ULONG(wcslen(s))); }

TS QEL_CDECL TSSetStrN(TS ts, const WCHAR* s, ULONG nCount) {
  if (nCount == 0) return TSInit(ts);
  if (!resize(ts, size_t(nCount) + 1)) return nullptr;
  std::memcpy(ts->pText, s, size_t(nCount) * sizeof(WCHAR));
  ts->pText[nCount] = 0;
  return ts;
}

TS QEL_CDECL TSSetLen(TS ts, ULONG nLength) {
  if (nLength == 0) return TSInit(ts);
  if (!resize(ts, size_t(nLength) + 1)) return nullptr;
  ts->pText[nLength] = 0;
  return ts;
}

TS QEL_CDECL TSCopy(TS ts, const TSString* src) {
  if (src->nSize == 0) return TSInit(ts);
  if (ts == src) return ts;
  if (!resize(ts, src->nSize)) return nullptr;
  std::memcpy(ts->pText, src->pText, size_t(src->nSize) * sizeof(WCHAR));
  return ts;
}

TS QEL_CDECL TSAdd(TS ts, const TSString* src) {
  const size_t oldLength = size_t(lengthOf(ts)), count = size_t(lengthOf(src));
  if (oldLength + count == 0) return ts;
  if (!resize(ts, oldLength + count + 1)) return nullptr;
  // src is read only now: it may be ts itself, whose block just moved.
  std::memmove(ts->pText + oldLength, src->pText, count * sizeof(WCHAR));
  ts->pText[oldLength + count] = 0;
  return ts;
}

TS QEL_CDECL TSAddStr(TS ts, const WCHAR* s) { return TSAddStrN(ts, s, ULONG(wcslen(s))); }

TS QEL_CDECL TSAddStrN(TS ts, const WCHAR* s, ULONG nCount) {
  const size_t oldLength = size_t(lengthOf(ts));
  if (oldLength + nCount == 0) return ts;
  if (!resize(ts, oldLength + nCount + 1)) return nullptr;
  std::memcpy(ts->pText + oldLength, s, size_t(nCount) * sizeof(WCHAR));
  ts->pText[oldLength + nCount] = 0;
  return ts;
}

TS QEL_CDECL TSFromCh(TS ts, WCHAR ch) {
  if (!resize(ts, 2)) return nullptr;
  ts->pText[0] = ch;
  ts->pText[1] = 0;
  return ts;
}

TS QEL_CDECL TSRep(TS ts, const WCHAR* s, LONG nCount) {
  const size_t n = nCount > 0 ? size_t(nCount) : 0, length = wcslen(s);
  if (length && n > (SIZE_MAX / sizeof(WCHAR) - 1) / length) return nullptr;
  auto* scratch = static_cast<WCHAR*>(qel::heapCalloc(length * n + 1, sizeof(WCHAR)));
  if (!scratch) return nullptr;
  for (size_t i = 0; i < n; ++i) std::memcpy(scratch + i * length, s, length * sizeof(WCHAR));
  TS result = TSSetStr(ts, scratch);
  qel::heapFree(scratch);
  return result;
}

TS QEL_CDECL TSInvert(TS ts, const WCHAR* s) {
  if (!TSSetStr(ts, s)) return nullptr;
  const LONG length = lengthOf(ts);
  for (LONG i = 0; i < length / 2; ++i) {
    const WCHAR c = ts->pText[i];
    ts->pText[i] = ts->pText[length - 1 - i];
    ts->pText[length - 1 - i] = c;
  }
  return ts;
}

}  // extern "C"
