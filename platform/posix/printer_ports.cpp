/*
 * The local spooler's port list: the value names of the Ports key in the
 * registry store, in the store's order, as level-1 records.
 */
#include <qel/win32.h>

#include <cstring>
#include <string>
#include <vector>

#include "shield.h"

namespace {

const WCHAR kPortsKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// The port names; a missing key is a spooler without ports.
LSTATUS portNames(std::vector<std::u16string>& names) {
  HKEY key = nullptr;
  LSTATUS e = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_QUERY_VALUE, &key);
  if (e == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (e) return e;
  DWORD longest = 0;
  e = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                       nullptr, nullptr);
  std::u16string name(size_t(longest) + 1, 0);
  for (DWORD i = 0; !e; ++i) {
    DWORD length = DWORD(name.size());
    e = RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (!e) names.emplace_back(name.data(), length);
  }
  RegCloseKey(key);
  return e == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : e;
}

}  // namespace

extern "C" BOOL WINAPI EnumPortsW(LPWSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf, LPDWORD pcbNeeded,
                                  LPDWORD pcReturned) {
  return qel::posix::shielded(
      [&]() -> BOOL {
        if (!pcbNeeded || !pcReturned) return fail(ERROR_INVALID_PARAMETER);
        *pcReturned = 0;
        if (pName && *pName) return fail(ERROR_INVALID_NAME);
        if (Level != 1) return fail(ERROR_INVALID_LEVEL);
        try {
          std::vector<std::u16string> names;
          if (LSTATUS e = portNames(names)) return fail(DWORD(e));
          // The records first, then the names they point at.
          size_t needed = names.size() * sizeof(PORT_INFO_1W);
          for (const std::u16string& n : names) needed += (n.size() + 1) * sizeof(WCHAR);
          *pcbNeeded = DWORD(needed);
          if (cbBuf < needed) return fail(ERROR_INSUFFICIENT_BUFFER);
          if (!pPorts && needed) return fail(ERROR_INVALID_PARAMETER);
          auto* records = reinterpret_cast<PORT_INFO_1W*>(pPorts);
          auto* text = reinterpret_cast<WCHAR*>(records + names.size());
          for (size_t i = 0; i < names.size(); ++i) {
            records[i].pName = text;
            std::memcpy(text, names[i].c_str(), (names[i].size() + 1) * sizeof(WCHAR));
            text += names[i].size() + 1;
          }
          *pcReturned = DWORD(names.size());
          return TRUE;
        } catch (...) {
          return fail(ERROR_NOT_ENOUGH_MEMORY);
        }
      },
      FALSE);
}
