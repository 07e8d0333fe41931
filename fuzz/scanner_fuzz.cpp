/*
 * Arbitrary UTF-16 text through every scanner mode, both entry points and
 * both escape dialects.  The first two bytes choose the buffer lengths and
 * flags, the rest is the text, cut into lines at each LF (a NUL inside a
 * line ends it early, as it would for a caller).
 */
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "scanner/Symbol.h"

namespace {

// No call may read past the line's NUL, and every call either moves on or
// stands on the end of the line: a scanner that loops for ever is a bug.
void scanLines(const std::vector<std::vector<WCHAR>>& lines, LONG mode, uint8_t options) {
  SymContext s{};
  const ULONG textLength = 2 + (options & 0x0F) * 4;
  const ULONG identLimit = 1 + ((options >> 4) & 0x03) * 5;
  if (SymInit(&s, identLimit, textLength, options & 0x40, mode) != 0) abort();
  s.nEscapeMode = (options & 0x80) ? SYM_ESCAPE_STRICT : SYM_ESCAPE_STANDARD;
  const bool all = options & 0x01;
  for (const auto& line : lines) {
    SymNewLine(&s, line.data());
    const size_t length = std::char_traits<WCHAR>::length(line.data());
    for (size_t calls = 0;; ++calls) {
      ULONG before = s.nColumnNo;
      LONG code = all ? SymGetNextSymAll(&s) : SymGetNextSym(&s);
      if (s.nColumnNo > length || s.nAlphaLen > textLength || s.nAlphaLenUnTranslated > textLength) abort();
      if (s.pszAlpha[s.nAlphaLen] != 0 || s.pszAlphaUnTranslated[s.nAlphaLenUnTranslated] != 0) abort();
      if (code == SYM_EOL || code == 0) break;
      if (s.nColumnNo == before && s.nColumnNo == length) {
        if (!s.chPendingQuote) abort();
        SymReset(&s);  // an open literal at the end of the line
      } else if (s.nColumnNo == before || calls > length + 2) {
        abort();
      }
      SymGetSymDescription(code);
    }
  }
  SymRelease(&s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t options = data[0];
  std::vector<std::vector<WCHAR>> lines(1);
  for (size_t i = 2; i + 1 < size; i += 2) {
    WCHAR c = WCHAR(data[i] | (data[i + 1] << 8));
    if (c == u'\n') {
      lines.back().push_back(0);
      lines.emplace_back();
    } else {
      lines.back().push_back(c);
    }
  }
  lines.back().push_back(0);
  for (LONG mode = 0; mode <= 4; ++mode) scanLines(lines, mode, uint8_t(options ^ data[1] * mode));
  return 0;
}
