/** @file
 * Registry helpers: a thin layer over the platform registry.  Every call
 * returns the platform's status unchanged (0 = success); the queries store
 * their default whenever the value cannot be read, and report why.
 */
#ifndef QELBASE_REGISTRY_HELPERS_H
#define QELBASE_REGISTRY_HELPERS_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** @{ */
/** The access rights the library asks for. */
#define QEL_REG_READ 0x20019
#define QEL_REG_WRITE 0x20006
#define QEL_REG_ALL_ACCESS 0xF003F
/** @} */

/** RegOpenKeyExW: opens an existing key.  Like every function here it
   returns the Windows error code (0 on success). */
LONG QEL_STDCALL OpenRegKey(HKEY hKey, LPCWSTR pszSubKey, REGSAM samDesired, PHKEY phkResult);
/** Creates the key (and the keys on its path) or opens it if it exists. */
LONG QEL_STDCALL CreateRegKey(HKEY hKey, LPCWSTR pszSubKey, REGSAM samDesired, PHKEY phkResult);
/** Fails on a key that has subkeys. */
LONG QEL_STDCALL DeleteRegKey(HKEY hKey, LPCWSTR pszSubKey);
/** RegCloseKey. */
LONG QEL_STDCALL CloseRegKey(HKEY hKey);

/** *pdwSize: the buffer's capacity in characters on entry; the characters
   read, stored terminator included, on return.  On any failure the buffer
   holds pszDefault (cut to the capacity) and *pdwSize its length plus one. */
LONG QEL_STDCALL QueryRegEntryString(HKEY hKey, LPCWSTR pszValueName, LPWSTR pszBuffer, LPDWORD pdwSize,
                                     LPCWSTR pszDefault);
/** Up to four bytes of any type, little-endian; the default on failure
   (a missing value, more than four bytes). */
LONG QEL_STDCALL QueryRegEntryDWord(HKEY hKey, LPCWSTR pszValueName, LPDWORD pdwValue, DWORD dwDefault);
/** QueryRegEntryDWord for a signed number. */
LONG QEL_STDCALL QueryRegEntryLong(HKEY hKey, LPCWSTR pszValueName, PLONG plValue, LONG lDefault);
/** The stored number as it is, not reduced to 0 or 1. */
LONG QEL_STDCALL QueryRegEntryBool(HKEY hKey, LPCWSTR pszValueName, LPBOOL pbValue, BOOL bDefault);

/** *pdwNameLen: capacity in characters, terminator included, on entry; the
   name's length on success, and the name terminated.  259 after the last. */
LONG QEL_STDCALL EnumRegKey(HKEY hKey, DWORD dwIndex, LPWSTR pszName, LPDWORD pdwNameLen);
/** As EnumRegKey for the name; the data (*pdwDataLen bytes of capacity on
   entry, the data's length on return) is followed by one zero byte, so
   pData must have room for one byte more than it declares. */
LONG QEL_STDCALL EnumRegValue(HKEY hKey, DWORD dwIndex, LPWSTR pszName, LPDWORD pdwNameLen, LPDWORD pdwType,
                              LPBYTE pData, LPDWORD pdwDataLen);

QEL_END_DECLS

#endif
