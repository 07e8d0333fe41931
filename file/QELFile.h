/** @file
 * QELFile: a caller-owned file record that reads text by line and bytes by
 * block through a read buffer, and appends text and blocks.  Text is
 * single-byte in the ANSI code page (mode 1) or UTF-16LE behind the mark
 * FF FE (mode 2); lines end at LF, CRs are dropped.  Results are codes in
 * the 0x8007xxxx form; the end of the file is 0x80070026.
 */
#ifndef QELBASE_QELFILE_H
#define QELBASE_QELFILE_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** dwMagic of an initialised or open file object. */
#define QELFILE_MAGIC 0xBA49u

/** A buffered file.  The host owns the record: QELFileInit, QELFileOpen,
   reads or writes, QELFileClose.  One thread at a time. */
typedef struct QELFileObject {
  DWORD dwMagic;    /**< QELFILE_MAGIC while initialised or open, 0 after close */
  HANDLE hFile;     /**< INVALID_HANDLE_VALUE when no file is open */
  DWORD nPos;       /**< read position in the buffer, in bytes */
  DWORD nBufSize;   /**< bytes read per refill */
  DWORD nValid;     /**< bytes held in the buffer */
  BYTE* pBuffer;    /**< 2 * nBufSize bytes */
  DWORD nFilePos;   /**< file offset of the next refill */
  LONG nMode;       /**< 1 single-byte text, 2 UTF-16LE text */
  BOOL bBomPending; /**< the byte-order mark is yet to be looked for or written */
} QELFileObject;

/** Prepares a record for QELFileOpen (no file, no buffer); returns 0. */
DWORD QEL_CDECL QELFileInit(QELFileObject* pFile);
/** The seven arguments from pszName on go to CreateFileW unchanged.  Mode 0
   means 1.  Mode 2 answers 0x80004001 with the file open and usable. */
DWORD QEL_CDECL QELFileOpen(QELFileObject* pFile, DWORD nBufSize, LPCWSTR pszName, DWORD dwAccess,
                            DWORD dwShare, LPSECURITY_ATTRIBUTES pSecurity, DWORD dwDisposition,
                            DWORD dwFlags, HANDLE hTemplate, LONG nMode);
/** Closes the file and frees the buffer; returns 0 (also when no file is
   open), 0x80070057 for a null object, 0x8007000D for a damaged record, or
   the platform's error as 0x8007xxxx. */
DWORD QEL_CDECL QELFileClose(QELFileObject* pFile);
/** The next line, without CR and LF, in nSize characters (terminator
   included); a longer line comes in pieces of nSize - 1 characters. */
DWORD QEL_CDECL QELFileGetLine(QELFileObject* pFile, WCHAR* pszLine, DWORD nSize);
/** Up to *pnCount bytes; *pnCount becomes the number delivered. */
DWORD QEL_CDECL QELFileGetBlock(QELFileObject* pFile, BYTE* pData, DWORD* pnCount);
/** Appends nLength characters in the object's text form; no line end. */
DWORD QEL_CDECL QELFileWriteLine(QELFileObject* pFile, LPCWSTR pszText, DWORD nLength);
/** Writes nCount bytes as they are. */
DWORD QEL_CDECL QELFileWriteBlock(QELFileObject* pFile, const BYTE* pData, DWORD nCount);
/** The refill position: it takes effect once the buffered bytes are used. */
DWORD QEL_CDECL QELFileSetPos(QELFileObject* pFile, DWORD nPos);
/** The file offset of the next byte the object reads. */
DWORD QEL_CDECL QELFileGetPos(const QELFileObject* pFile);

QEL_END_DECLS

#endif
