/* A key, and with it all its subkeys, to a "REGEDIT4" file. */
#include <cstring>

#include "frame/Boundary.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"
#include "frame/ScopeGuards.h"
#include "registry/RegistryHelpers.h"
#include "registry/RegistryScripts.h"
#include "registry/ScriptInternal.h"

namespace qel::registry {
namespace {

constexpr DWORD kDataCapacity = 512;
constexpr DWORD kNameCapacity = 512;

Text quoted(const Text& s) { return WCHAR('"') + s + WCHAR('"'); }

// The text of a string value's data, up to its terminator or its end.
Text stringData(const BYTE* data, DWORD length) {
  Text text(length / sizeof(WCHAR), 0);
  std::memcpy(text.data(), data, text.size() * sizeof(WCHAR));
  return text.substr(0, text.find(WCHAR(0)));
}

Text decimal(DWORD n) {
  Text digits;
  do digits.insert(digits.begin(), WCHAR('0' + n % 10));
  while (n /= 10);
  return digits;
}

DWORD exportValues(HKEY key, const Text& section, const WCHAR* file) {
  DWORD count = 0;
  if (LONG e = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                                nullptr, nullptr, nullptr))
    return resultOf(DWORD(e));
  HeapBlock<BYTE> block(static_cast<BYTE*>(heapAlloc(kDataCapacity)));
  BYTE* const data = block.get();
  if (!data) return QEL_E_OUTOFMEMORY;
  DWORD result = 0;
  for (DWORD i = 0; i < count && !result; ++i) {
    WCHAR name[kNameCapacity];
    DWORD nameLength = kNameCapacity, length = kDataCapacity, type = 0;
    // A value that does not fit the buffers ends this key's list quietly.
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &length) != ERROR_SUCCESS) break;
    if (!length || (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_DWORD)) continue;
    DWORD number = 0;
    std::memcpy(&number, data, length < sizeof number ? length : sizeof number);
    const Text text = type == REG_DWORD ? decimal(number) : quoted(stringData(data, length));
    if (!WritePrivateProfileStringW(section.c_str(), quoted(name).c_str(), text.c_str(), file))
      result = resultOf(GetLastError());
  }
  return result;
}

DWORD exportKey(HKEY parent, const Text& prefix, const Text& subKey, const WCHAR* file, bool recursive) {
  OpenKey open;
  if (LONG e = RegOpenKeyExW(parent, subKey.c_str(), 0, QEL_REG_READ, open.out())) return resultOf(DWORD(e));
  const HKEY key = open.get();
  const Text path = prefix + WCHAR('\\') + subKey;
  DWORD result = exportValues(key, path, file);
  DWORD subkeys = 0;
  if (!result && recursive)
    result = resultOf(DWORD(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr, nullptr)));
  for (DWORD i = 0; !result && recursive && i < subkeys; ++i) {
    WCHAR name[256];
    DWORD length = 256;
    if (LONG e = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr))
      result = resultOf(DWORD(e));
    else
      result = exportKey(key, path, name, file, true);
  }
  if (LONG e = open.close(); e && !result) result = resultOf(DWORD(e));
  return result;
}

// Creates (or keeps) the file and writes the header.
DWORD prepareFile(const RegExportParams& p) {
  HANDLE file = CreateFileW(p.pszFile, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            p.bKeepFile ? OPEN_ALWAYS : CREATE_ALWAYS,
                            FILE_FLAG_WRITE_THROUGH | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return resultOf(GetLastError());
  static constexpr char kHeader[] = "REGEDIT4\r\n\r\n";
  DWORD written = 0;
  BOOL ok = p.bNoHeader || WriteFile(file, kHeader, 12, &written, nullptr);
  DWORD error = ok ? 0 : GetLastError();
  if (!CloseHandle(file) && !error) error = GetLastError();
  return resultOf(error);
}

}  // namespace
}  // namespace qel::registry

extern "C" DWORD QEL_CDECL QEL_RegExport(const RegExportParams* pParams) {
  using namespace qel::registry;
  return qel::guarded(QEL_E_OUTOFMEMORY, [&]() -> DWORD {
    HKEY root;
    Text rootName, subKey;
    if (!pParams || !pParams->pszFile || !splitKeyPath(pParams->pszKey, root, rootName, subKey))
      return QEL_E_INVALIDARG;
    if (DWORD r = prepareFile(*pParams)) return r;
    return exportKey(root, rootName, subKey, pParams->pszFile, pParams->bRecursive);
  });
}
