/* Appending to the buffered file: blocks, and lines in the text form. */
#include <algorithm>
#include <cstring>

#include "file/FileInternal.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"
#include "strings/CodePageText.h"

namespace {

DWORD writeAll(HANDLE file, const void* data, DWORD count) {
  DWORD written = 0;
  return WriteFile(file, data, count, &written, nullptr) ? QEL_S_OK : qel::file::platformError();
}

}  // namespace

extern "C" {

DWORD QEL_CDECL QELFileWriteBlock(QELFileObject* pFile, const BYTE* pData, DWORD nCount) {
  if (!pFile) return QEL_E_INVALIDARG;
  DWORD result = qel::file::validate(pFile, pData && nCount);
  if (result) return result;
  LONG high = 0;
  if (SetFilePointer(pFile->hFile, 0, &high, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError()) {
    result = qel::file::platformError();
  } else {
    static constexpr BYTE kMark[2] = {0xFF, 0xFE};
    if (pFile->bBomPending && pFile->nMode == 2) result = writeAll(pFile->hFile, kMark, sizeof kMark);
    if (!result) {  // a mark that failed stays pending for the next write
      pFile->bBomPending = FALSE;
      result = writeAll(pFile->hFile, pData, nCount);
    }
  }
  high = 0;
  const DWORD end = SetFilePointer(pFile->hFile, 0, &high, FILE_CURRENT);
  if (end != INVALID_SET_FILE_POINTER || !GetLastError()) pFile->nFilePos = end;
  return result;
}

DWORD QEL_CDECL QELFileWriteLine(QELFileObject* pFile, LPCWSTR pszText, DWORD nLength) {
  if (!pszText || !pFile) return QEL_E_INVALIDARG;
  if (pFile->nMode == 2) {
    if (nLength > 0x7FFFFFFFu) return QEL_E_INVALIDARG;
    return QELFileWriteBlock(pFile, reinterpret_cast<const BYTE*>(pszText), nLength * 2);
  }
  DWORD result = qel::file::validate(pFile, nLength);
  if (result) return result;
  // The conversion ends at a zero character, so nothing behind one is read.
  DWORD n = 0;
  while (n < nLength && pszText[n]) ++n;
  qel::WideText wide(pszText, n);
  qel::NarrowText narrow(wide);
  if (!wide.complete() || !narrow.complete()) return QEL_E_OUTOFMEMORY;
  // As many bytes as characters were asked for: a shorter conversion is
  // filled up with zero bytes, a multi-byte one is written whole.
  const size_t bytes = std::max<size_t>(nLength, narrow.length());
  if (bytes == narrow.length())
    return QELFileWriteBlock(pFile, reinterpret_cast<const BYTE*>(narrow.text()), DWORD(bytes));
  auto* padded = static_cast<BYTE*>(qel::heapCalloc(bytes, 1));
  if (!padded) return QEL_E_OUTOFMEMORY;
  std::memcpy(padded, narrow.text(), narrow.length());
  result = QELFileWriteBlock(pFile, padded, DWORD(bytes));
  qel::heapFree(padded);
  return result;
}

}  // extern "C"
