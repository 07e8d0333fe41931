/*
 * Arbitrary format lines through the placeholder scanner.  Byte 0 chooses
 * the text buffer length and whether the line is NUL-terminated or of
 * given length (inner NULs then belong to the line); the rest is UTF-16.
 * Every placeholder must be a picture the text formatter fills completely.
 */
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "format/FormatScanner.h"
#include "format/NumberFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t options = data[0];
  std::vector<WCHAR> line;
  for (size_t i = 1; i + 1 < size; i += 2) line.push_back(WCHAR(data[i] | (data[i + 1] << 8)));
  const size_t length = line.size();
  line.push_back(0);

  FScContext s{};
  const ULONG alphaMax = 1 + (options & 0x3F) * 3;
  if (FScInit(&s, alphaMax) != 0) abort();
  const bool givenLength = options & 0x40;
  if (givenLength)
    FScSetLineLen(&s, line.data(), LONG(length));
  else
    FScSetLine(&s, line.data());
  const size_t end = givenLength ? length : std::char_traits<WCHAR>::length(line.data());

  std::vector<WCHAR> out(alphaMax + 8);
  for (size_t calls = 0;; ++calls) {
    const ULONG before = s.nColumnNo;
    const LONG code = FScGetNextSym(&s);
    if (s.nColumnNo > end || s.nAlphaLen >= alphaMax || s.pszAlpha[s.nAlphaLen] != 0) abort();
    if (code == FSC_EOL) break;
    if (s.nColumnNo == before || calls > end || code < FSC_DOUBLE || code > FSC_CONSTANT) abort();
    if (FScIsPlaceholder(code) && s.nAlphaLen + 1 < alphaMax) {  // a whole placeholder, not cut short
      const LONG n = FMFormatStr(s.pszAlpha, LONG(s.nAlphaLen), QEL_W("1"), out.data());
      const LONG expected = code == FSC_CHAR || code == FSC_VARIANT ? 1 : LONG(s.nAlphaLen);
      if (n != expected) abort();
    }
  }
  FScRelease(&s);
  return 0;
}
