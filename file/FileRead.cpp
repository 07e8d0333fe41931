/* Reading the buffered file: refill, lines and blocks. */
#include <algorithm>
#include <cstring>

#include "file/FileInternal.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"
#include "strings/CodePageText.h"

namespace qel::file {
namespace {

// The first refill in UTF-16 text starts behind a mark FF FE or FE FF.
void skipMark(QELFileObject* file) {
  file->bBomPending = FALSE;
  file->nFilePos = 0;
  if (file->nMode != 2) return;
  BYTE head[10] = {};
  DWORD got = 0;
  LONG high = 0;
  if (SetFilePointer(file->hFile, 0, &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER && GetLastError()) return;
  if (!ReadFile(file->hFile, head, sizeof head, &got, nullptr) || got < 2) return;
  if ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF)) file->nFilePos = 2;
}

WCHAR unitAt(const QELFileObject* file, DWORD width) {
  const BYTE* at = file->pBuffer + file->nPos;
  return width == 1 ? WCHAR(at[0]) : WCHAR(at[0] | at[1] << 8);
}

// Copies as wcsncpy does: up to the terminator, then zeros to `size`.
void copyPadded(WCHAR* target, const WCHAR* source, DWORD size) {
  DWORD i = 0;
  for (; i < size && source[i]; ++i) target[i] = source[i];
  for (; i < size; ++i) target[i] = 0;
}

}  // namespace

DWORD refill(QELFileObject* file, DWORD need) {
  const DWORD left = file->nValid - file->nPos;
  if (left >= need) return QEL_S_OK;
  file->nFilePos -= left;  // the rest is read again at the start of the buffer
  file->nValid = file->nPos = 0;
  if (file->bBomPending) skipMark(file);
  LONG high = 0;
  if (SetFilePointer(file->hFile, LONG(file->nFilePos), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
      GetLastError())
    return platformError();
  // A buffer of one byte still holds one UTF-16 unit: it has room for two.
  const DWORD want = file->nBufSize ? std::max(file->nBufSize, need) : 0;
  DWORD got = 0;
  if (!ReadFile(file->hFile, file->pBuffer, want, &got, nullptr)) return platformError();
  file->nValid = got;
  file->nFilePos += got;
  if (got < need) {
    file->nPos = got;  // half a UTF-16 unit at the end is dropped
    return QEL_E_HANDLE_EOF;
  }
  return QEL_S_OK;
}

}  // namespace qel::file

using qel::file::refill;

extern "C" {

DWORD QEL_CDECL QELFileGetLine(QELFileObject* pFile, WCHAR* pszLine, DWORD nSize) {
  if (!pFile) return QEL_E_INVALIDARG;
  DWORD result = qel::file::validate(pFile, pszLine && nSize);
  if (result) return result;
  const DWORD width = pFile->nMode == 1 ? 1 : 2;
  // The line as it is read: bytes in single-byte text, else UTF-16 units.
  void* line = qel::heapAlloc(size_t(nSize) * width);
  if (!line) return QEL_E_OUTOFMEMORY;
  auto* bytes = static_cast<char*>(line);
  auto* units = static_cast<WCHAR*>(line);
  DWORD n = 0;
  for (bool first = true;; first = false) {
    result = refill(pFile, width);
    if (result == QEL_E_HANDLE_EOF && !first) result = QEL_S_OK;  // the end closes the last line
    if (result || pFile->nValid == pFile->nPos) break;
    const WCHAR c = qel::file::unitAt(pFile, width);
    if (c == '\r' || c == '\n') {
      pFile->nPos += width;
      if (c == '\n') break;
      continue;
    }
    if (width == 1)
      bytes[n++] = char(c);
    else
      units[n++] = c;
    if (n == nSize) {  // full: this character begins the next piece
      --n;
      break;
    }
    pFile->nPos += width;
  }
  if (!result) {
    if (width == 1) {
      bytes[n] = 0;
      qel::WideText wide(bytes);
      if (wide.complete())
        qel::file::copyPadded(pszLine, wide.text(), nSize);
      else
        result = QEL_E_OUTOFMEMORY;
    } else {
      units[n] = 0;
      qel::file::copyPadded(pszLine, units, nSize);
    }
  }
  qel::heapFree(line);
  return result;
}

DWORD QEL_CDECL QELFileGetBlock(QELFileObject* pFile, BYTE* pData, DWORD* pnCount) {
  if (!pFile) return QEL_E_INVALIDARG;
  DWORD result = qel::file::validate(pFile, pnCount && *pnCount && pData);
  if (result) return result;
  DWORD delivered = 0;
  while (delivered < *pnCount) {
    result = refill(pFile, 1);
    if (result) break;
    const DWORD n = std::min(*pnCount - delivered, pFile->nValid - pFile->nPos);
    std::memcpy(pData + delivered, pFile->pBuffer + pFile->nPos, n);
    pFile->nPos += n;
    delivered += n;
  }
  if (result == QEL_E_HANDLE_EOF && delivered) result = QEL_S_OK;
  if (delivered) *pnCount = delivered;
  return result;
}

}  // extern "C"
