/* The registry helpers: defaults and terminators around the platform calls. */
#include "registry/RegistryHelpers.h"

namespace {

// Four bytes of any value type; the default unless the read succeeds.
LONG queryNumber(HKEY key, LPCWSTR name, DWORD& value, DWORD fallback) {
  BYTE bytes[4] = {0, 0, 0, 0};
  DWORD size = sizeof bytes;
  LONG status = RegQueryValueExW(key, name, nullptr, nullptr, bytes, &size);
  value = status == ERROR_SUCCESS
              ? DWORD(bytes[0]) | DWORD(bytes[1]) << 8 | DWORD(bytes[2]) << 16 | DWORD(bytes[3]) << 24
              : fallback;
  return status;
}

}  // namespace

extern "C" {

LONG QEL_STDCALL OpenRegKey(HKEY hKey, LPCWSTR pszSubKey, REGSAM samDesired, PHKEY phkResult) {
  return RegOpenKeyExW(hKey, pszSubKey, 0, samDesired, phkResult);
}

LONG QEL_STDCALL CreateRegKey(HKEY hKey, LPCWSTR pszSubKey, REGSAM samDesired, PHKEY phkResult) {
  WCHAR noClass[] = {0};
  return RegCreateKeyExW(hKey, pszSubKey, 0, noClass, REG_OPTION_NON_VOLATILE, samDesired, nullptr, phkResult,
                         nullptr);
}

LONG QEL_STDCALL DeleteRegKey(HKEY hKey, LPCWSTR pszSubKey) { return RegDeleteKeyW(hKey, pszSubKey); }

LONG QEL_STDCALL CloseRegKey(HKEY hKey) { return RegCloseKey(hKey); }

LONG QEL_STDCALL QueryRegEntryString(HKEY hKey, LPCWSTR pszValueName, LPWSTR pszBuffer, LPDWORD pdwSize,
                                     LPCWSTR pszDefault) {
  if (!pdwSize) return ERROR_INVALID_PARAMETER;
  const DWORD capacity = pszBuffer ? *pdwSize : 0;
  DWORD bytes = capacity * sizeof(WCHAR);
  LONG status = pszBuffer ? RegQueryValueExW(hKey, pszValueName, nullptr, nullptr,
                                             reinterpret_cast<LPBYTE>(pszBuffer), &bytes)
                          : LONG(ERROR_INVALID_PARAMETER);
  if (status == ERROR_SUCCESS) {
    *pdwSize = bytes / sizeof(WCHAR);
    return status;
  }
  const WCHAR* fallback = pszDefault ? pszDefault : QEL_W("");
  DWORD length = 0;
  while (fallback[length]) ++length;
  // Never past the caller's buffer; the size still tells the whole default.
  if (capacity > 0) {
    DWORD copied = length < capacity ? length : capacity - 1;
    for (DWORD i = 0; i < copied; ++i) pszBuffer[i] = fallback[i];
    pszBuffer[copied] = 0;
  }
  *pdwSize = length + 1;
  return status;
}

LONG QEL_STDCALL QueryRegEntryDWord(HKEY hKey, LPCWSTR pszValueName, LPDWORD pdwValue, DWORD dwDefault) {
  if (!pdwValue) return ERROR_INVALID_PARAMETER;
  return queryNumber(hKey, pszValueName, *pdwValue, dwDefault);
}

LONG QEL_STDCALL QueryRegEntryLong(HKEY hKey, LPCWSTR pszValueName, PLONG plValue, LONG lDefault) {
  if (!plValue) return ERROR_INVALID_PARAMETER;
  DWORD value;
  LONG status = queryNumber(hKey, pszValueName, value, DWORD(lDefault));
  *plValue = LONG(value);
  return status;
}

LONG QEL_STDCALL QueryRegEntryBool(HKEY hKey, LPCWSTR pszValueName, LPBOOL pbValue, BOOL bDefault) {
  if (!pbValue) return ERROR_INVALID_PARAMETER;
  DWORD value;
  LONG status = queryNumber(hKey, pszValueName, value, DWORD(bDefault));
  *pbValue = BOOL(value);
  return status;
}

LONG QEL_STDCALL EnumRegKey(HKEY hKey, DWORD dwIndex, LPWSTR pszName, LPDWORD pdwNameLen) {
  LONG status = RegEnumKeyExW(hKey, dwIndex, pszName, pdwNameLen, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) pszName[*pdwNameLen] = 0;
  return status;
}

LONG QEL_STDCALL EnumRegValue(HKEY hKey, DWORD dwIndex, LPWSTR pszName, LPDWORD pdwNameLen, LPDWORD pdwType,
                              LPBYTE pData, LPDWORD pdwDataLen) {
  LONG status = RegEnumValueW(hKey, dwIndex, pszName, pdwNameLen, nullptr, pdwType, pData, pdwDataLen);
  if (status == ERROR_SUCCESS) {
    pszName[*pdwNameLen] = 0;
    if (pData && pdwDataLen) pData[*pdwDataLen] = 0;
  }
  return status;
}

}  // extern "C"
