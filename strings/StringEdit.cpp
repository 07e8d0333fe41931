/* Cutting, trimming, case mapping, substitution, searching and comparing. */
#include <qel/wcrt.h>

#include <cstring>
#include <string_view>

#include "frame/Heap.h"
#include "strings/StringObject.h"

namespace {

LONG lengthOf(const TSString* ts) { return ts->nSize ? LONG(ts->nSize - 1) : 0; }

// Sets ts to `count` characters of src from `start`, or to nothing.
TS cutFrom(TS ts, const TSString* src, LONG start, LONG count) {
  const WCHAR* text = src->pText;  // read before TSInit: src may be ts
  const LONG length = lengthOf(src);
  TSInit(ts);
  if (ts == src || length == 0 || count <= 0) return ts;
  return TSSetStrN(ts, text + start, ULONG(count));
}

// ts set to the characters [from, to) of its own text, through a scratch copy
// (the source must not lie in the block being reallocated).
TS keepRange(TS ts, LONG from, LONG to) {
  const LONG length = lengthOf(ts);
  auto* scratch = static_cast<WCHAR*>(qel::heapCalloc(size_t(length) + 1, sizeof(WCHAR)));
  if (!scratch) return nullptr;
  std::memcpy(scratch, ts->pText, size_t(length) * sizeof(WCHAR));
  TS result = TSSetStrN(ts, scratch + from, ULONG(to - from));
  qel::heapFree(scratch);
  return result;
}

struct Match {
  size_t at, length;
};

// The result of a substitution: its length counted in a first pass over
// the matches (the first of them remembered, so that the second pass need
// not look for them again), the block of that size filled in a second, and
// swapped in; ts stays as it was when the block cannot be had.
// nextMatch(text, from) gives the position and length of the next match.
template <class NextMatch>
TS substitute(TS ts, const WCHAR* replacement, NextMatch nextMatch) {
  using View = std::basic_string_view<WCHAR>;
  const View text(ts->pText, size_t(lengthOf(ts)));
  const View put(replacement ? replacement : QEL_W(""));
  constexpr size_t kRemembered = 256;
  Match remembered[kRemembered];
  size_t count = 0, length = 0, from = 0;
  for (Match m = nextMatch(text, from); m.at != View::npos; m = nextMatch(text, from)) {
    if (count < kRemembered) remembered[count] = m;
    ++count;
    length += m.at - from + put.size(), from = m.at + m.length;
  }
  length += text.size() - from;
  if (length == 0) return TSInit(ts);
  if (length > 0xFFFFFFFEu) return nullptr;
  auto* block = static_cast<WCHAR*>(qel::heapAlloc((length + 1) * sizeof(WCHAR)));
  if (!block) return nullptr;
  WCHAR* out = block;
  auto copy = [&out](const WCHAR* piece, size_t n) {
    std::memcpy(out, piece, n * sizeof(WCHAR));
    out += n;
  };
  from = 0;
  for (size_t i = 0; i < count; ++i) {
    const Match m = i < kRemembered ? remembered[i] : nextMatch(text, from);
    copy(text.data() + from, m.at - from);
    copy(put.data(), put.size());
    from = m.at + m.length;
  }
  copy(text.data() + from, text.size() - from);
  *out = 0;
  qel::heapFree(ts->pText);
  ts->pText = block;
  ts->nSize = ULONG(length + 1);
  return ts;
}

template <WCHAR (*Map)(WCHAR)>
TS mapCase(TS ts) {
  for (LONG i = 0; i < lengthOf(ts); ++i) ts->pText[i] = Map(ts->pText[i]);
  return ts;
}

WCHAR lower(WCHAR c) { return towlower(c); }
WCHAR upper(WCHAR c) { return towupper(c); }

}  // namespace

extern "C" {

TS QEL_CDECL TSSubStr(TS ts, const TSString* src, LONG nStart, LONG nCount) {
  const LONG length = lengthOf(src);
  if (nStart < 0 || nCount < 0 || LONGLONG(nStart) + nCount > length) return cutFrom(ts, src, 0, 0);
  return cutFrom(ts, src, nStart, nCount);
}

TS QEL_CDECL TSLeft(TS ts, const TSString* src, LONG nCount) {
  const LONG length = lengthOf(src);
  return cutFrom(ts, src, 0, nCount < 0 ? 0 : nCount <= length ? nCount : length);
}

TS QEL_CDECL TSRight(TS ts, const TSString* src, LONG nCount) {
  const LONG length = lengthOf(src);
  if (nCount < 0) return cutFrom(ts, src, 0, 0);
  const LONG count = nCount <= length ? nCount : length;
  return cutFrom(ts, src, length - count, count);
}

TS QEL_CDECL TSMid(TS ts, const TSString* src, LONG nStart, LONG nCount) {
  const LONG length = lengthOf(src);
  LONGLONG start = nStart;
  if (start < 0) start += LONGLONG(length) - 1;  // -1 is the character before the last one
  if (start < 0 || nCount < 0) return cutFrom(ts, src, 0, 0);
  // Past the end the whole source is the result, as with TSLeft and TSRight.
  if (start + nCount > length) return cutFrom(ts, src, 0, length);
  return cutFrom(ts, src, LONG(start), nCount);
}

TS QEL_CDECL TSLower(TS ts) { return mapCase<lower>(ts); }
TS QEL_CDECL TSUpper(TS ts) { return mapCase<upper>(ts); }

TS QEL_CDECL TSLTrim(TS ts) {
  const LONG length = lengthOf(ts);
  LONG k = 0;
  while (k < length && ts->pText[k] == u' ') ++k;
  if (k == length) return TSInit(ts);
  return k == 0 ? ts : keepRange(ts, k, length);
}

TS QEL_CDECL TSRTrim(TS ts) {
  LONG i = lengthOf(ts) - 1;
  while (i >= 0 && ts->pText[i] == u' ') --i;
  if (i < 0) return TSInit(ts);
  return i == lengthOf(ts) - 1 ? ts : keepRange(ts, 0, i + 1);
}

TS QEL_CDECL TSATrim(TS ts) {
  TS result = TSLTrim(ts);
  return result ? TSRTrim(result) : nullptr;
}

TS QEL_CDECL TSChrSubst(TS ts, const WCHAR* pszSet, const WCHAR* pszReplacement) {
  if (lengthOf(ts) == 0) return ts;
  const std::basic_string_view<WCHAR> set(pszSet);
  return substitute(ts, pszReplacement, [set](std::basic_string_view<WCHAR> text, size_t from) {
    return Match{text.find_first_of(set, from), 1};
  });
}

TS QEL_CDECL TSStrSubst(TS ts, const WCHAR* pszPattern, const WCHAR* pszReplacement) {
  const std::basic_string_view<WCHAR> pattern(pszPattern);
  if (lengthOf(ts) == 0 || pattern.empty()) return ts;
  return substitute(ts, pszReplacement, [pattern](std::basic_string_view<WCHAR> text, size_t from) {
    return Match{text.find(pattern, from), pattern.size()};
  });
}

LONG QEL_CDECL TSStrPos(const TSString* ts, const WCHAR* pszPattern, LONG nStart) {
  const LONG length = lengthOf(ts);
  if (length == 0 || !*pszPattern || nStart < 0 || nStart > length || ts->pText[0] == 0) return -1;
  // The search runs over the text up to its first zero character, found
  // on the way rather than measured first.
  const WCHAR* text = ts->pText;
  const WCHAR first = pszPattern[0];
  const size_t rest = std::char_traits<WCHAR>::length(pszPattern + 1);
  for (LONG i = nStart; i < length; ++i) {
    if (text[i] == first) {
      if (size_t(i) + 1 + rest > size_t(length)) return -1;  // no room left for a match
      if (std::char_traits<WCHAR>::compare(text + i + 1, pszPattern + 1, rest) == 0) return i;
    } else if (text[i] == 0) {
      return -1;
    }
  }
  return -1;
}

LONG QEL_CDECL TSStrRPos(const TSString* ts, const WCHAR* pszPattern, LONG nLowest) {
  const std::basic_string_view<WCHAR> text(ts->pText ? ts->pText : QEL_W(""), size_t(lengthOf(ts))),
      pattern(pszPattern);
  const size_t lowest = nLowest < 0 ? 0 : size_t(nLowest);  // positions below 0 are never examined
  const size_t at = text.rfind(pattern);
  return at == std::basic_string_view<WCHAR>::npos || at < lowest ? -1 : LONG(at);
}

LONG QEL_CDECL TSCmp(const TSString* a, const TSString* b) {
  if (a->nSize == 0 || b->nSize == 0) return a->nSize == b->nSize ? 0 : a->nSize == 0 ? -1 : 1;
  return wcscmp(a->pText, b->pText);
}

}  // extern "C"
