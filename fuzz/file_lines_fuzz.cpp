/*
 * The buffered file's line and block readers on arbitrary file content.
 * The first two bytes choose the buffer size, the line size, the text form
 * and where block reads interleave; the rest is the file.  Every line must
 * end inside its buffer, the reader must reach the end of the file within
 * as many calls as there are bytes, and the end must be reported again.
 */
#include <cstdlib>
#include <vector>

#include "ScratchFile.h"
#include "file/QELFile.h"

namespace {
constexpr DWORD kEnd = 0x80070026u;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const DWORD bufferSize = 1 + (data[0] & 0x3F);
  const LONG mode = (data[0] & 0x40) ? 2 : 1;
  const DWORD lineSize = 2 + (data[1] & 0x1F);  // size 1 holds no character: no progress, by definition
  const DWORD blockEvery = data[1] >> 5;        // 0: lines only
  const auto path = scratchFile("lines.txt", data + 2, size - 2);
  if (path.empty()) return 0;
  QELFileObject f;
  const DWORD opened = QELFileOpen(&f, bufferSize, path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr, mode);
  if (opened != 0 && opened != 0x80004001u) abort();
  std::vector<WCHAR> line(lineSize + 1);
  BYTE block[7];
  DWORD result = 0;
  for (size_t calls = 0; result != kEnd; ++calls) {
    if (calls > size + 2) abort();  // no progress
    line[lineSize] = 0x5A5A;
    if (blockEvery && calls % (blockEvery + 1) == blockEvery) {
      DWORD count = sizeof block;
      result = QELFileGetBlock(&f, block, &count);
      if (count > sizeof block) abort();
    } else {
      result = QELFileGetLine(&f, line.data(), lineSize);
      if (line[lineSize] != 0x5A5A) abort();  // written past the line
      if (result == 0 && std::char_traits<WCHAR>::length(line.data()) >= lineSize) abort();
    }
    if (result != 0 && result != kEnd) abort();
  }
  if (QELFileGetLine(&f, line.data(), lineSize) != kEnd) abort();
  if (QELFileClose(&f) != 0) abort();
  return 0;
}
