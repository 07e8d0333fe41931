/* The buffered file's life cycle and position. */
#include <algorithm>
#include <cstdint>

#include "file/FileInternal.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"

namespace qel::file {

DWORD platformError() {
  const DWORD error = GetLastError();
  return error ? QEL_HRESULT_FROM_ERROR(error) : 0;
}

DWORD validate(const QELFileObject* file, bool countGiven) {
  if (file->dwMagic != QELFILE_MAGIC) return QEL_E_INVALID_DATA;
  if (!countGiven) return QEL_E_INVALIDARG;
  if (file->hFile == INVALID_HANDLE_VALUE) return QEL_E_HANDLE;
  return QEL_S_OK;
}

}  // namespace qel::file

extern "C" {

DWORD QEL_CDECL QELFileInit(QELFileObject* pFile) {
  if (!pFile) return QEL_E_INVALIDARG;
  pFile->dwMagic = QELFILE_MAGIC;
  pFile->hFile = INVALID_HANDLE_VALUE;
  pFile->nPos = pFile->nBufSize = pFile->nValid = pFile->nFilePos = 0;
  pFile->pBuffer = nullptr;
  pFile->nMode = 0;
  pFile->bBomPending = TRUE;
  return QEL_S_OK;
}

DWORD QEL_CDECL QELFileOpen(QELFileObject* pFile, DWORD nBufSize, LPCWSTR pszName, DWORD dwAccess,
                            DWORD dwShare, LPSECURITY_ATTRIBUTES pSecurity, DWORD dwDisposition,
                            DWORD dwFlags, HANDLE hTemplate, LONG nMode) {
  if (!pFile) return QEL_E_INVALIDARG;
  QELFileInit(pFile);
  pFile->nBufSize = nBufSize;
  pFile->nMode = nMode ? nMode : 1;
  HANDLE handle = CreateFileW(pszName, dwAccess, dwShare, pSecurity, dwDisposition, dwFlags, hTemplate);
  if (handle == INVALID_HANDLE_VALUE) return qel::file::platformError();
  pFile->hFile = handle;
  // Twice the refill size; a buffer of size 0 still gets a block, since
  // it means "always at the end", not "no memory".
  if (size_t(nBufSize) <= SIZE_MAX / 2)  // 32-bit hosts
    pFile->pBuffer = static_cast<BYTE*>(qel::heapCalloc(std::max<size_t>(size_t(nBufSize) * 2, 2), 1));
  if (!pFile->pBuffer) return QEL_E_OUTOFMEMORY;
  return pFile->nMode == 2 ? QEL_E_NOTIMPL : QEL_S_OK;
}

DWORD QEL_CDECL QELFileClose(QELFileObject* pFile) {
  if (!pFile) return QEL_E_INVALIDARG;
  if (pFile->hFile == INVALID_HANDLE_VALUE) return QEL_S_OK;
  DWORD result = QEL_E_INVALID_DATA;  // a handle under a wrong magic is not trusted
  if (pFile->dwMagic == QELFILE_MAGIC)
    result = CloseHandle(pFile->hFile) ? QEL_S_OK : qel::file::platformError();
  qel::heapFree(pFile->pBuffer);
  QELFileInit(pFile);
  pFile->dwMagic = 0;
  pFile->bBomPending = FALSE;
  return result;
}

DWORD QEL_CDECL QELFileSetPos(QELFileObject* pFile, DWORD nPos) {
  pFile->nFilePos = nPos;
  return QEL_S_OK;
}

DWORD QEL_CDECL QELFileGetPos(const QELFileObject* pFile) { return pFile->nFilePos; }

}  // extern "C"
