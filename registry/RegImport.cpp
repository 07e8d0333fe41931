/* "REGEDIT4" files back into the registry, section by section. */
#include "frame/Boundary.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"
#include "frame/ScopeGuards.h"
#include "registry/RegistryHelpers.h"
#include "registry/RegistryScripts.h"
#include "registry/ScriptInternal.h"

namespace qel::registry {
namespace {

constexpr DWORD kFirstCapacity = 4096;

// A zero-separated list from the profile service.  A list that fills the
// buffer may have been cut (the service then reports capacity - 2), so it
// is read again in a larger one until it fits.
template <class Read>
DWORD readList(Read&& read, WCHAR*& list) {
  DWORD capacity = kFirstCapacity;
  for (;;) {
    list = static_cast<WCHAR*>(heapAlloc(size_t(capacity) * sizeof(WCHAR)));
    if (!list) return QEL_E_OUTOFMEMORY;
    const DWORD length = read(list, capacity);
    if (length < capacity - 2) {
      list[length] = 0;  // the list's end even where the service wrote nothing
      return 0;
    }
    heapFree(list);
    list = nullptr;
    if (capacity > 0x3FFFFFFF) return QEL_E_OUTOFMEMORY;
    capacity = capacity * 2 > length + 2 ? capacity * 2 : length + 2;
  }
}

// Low 32 bits of the decimal number at the start, as _wtoi64 reads it.
DWORD numberOf(const Text& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  const bool negative = i < s.size() && s[i] == '-';
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  unsigned long long n = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    n = n > (1ULL << 63) / 10 ? (1ULL << 63) : n * 10 + unsigned(s[i] - '0');
  const long long limited = negative ? (n >= (1ULL << 63) ? (long long)(1ULL << 63) : -(long long)n)
                                     : (n >= (1ULL << 63) ? (long long)((1ULL << 63) - 1) : (long long)n);
  return DWORD((unsigned long long)limited);
}

DWORD importLine(const Text& line, HKEY key) {
  const size_t eq = line.find(WCHAR('='));
  if (eq == Text::npos) return QEL_E_INVALIDARG;
  Text name = line.substr(0, eq);
  const Text value = line.substr(eq + 1);
  if (size_t q = name.find(WCHAR('"')); q != Text::npos) {
    const size_t end = name.find(WCHAR('"'), q + 1);
    name = name.substr(q + 1, end == Text::npos ? Text::npos : end - q - 1);
  }
  LONG e;
  if (size_t first = value.find(WCHAR('"')); first != Text::npos) {
    const size_t last = value.rfind(WCHAR('"'));
    if (last == first) return QEL_E_INVALIDARG;
    const Text text = value.substr(first + 1, last - first - 1);
    e = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       DWORD((text.size() + 1) * sizeof(WCHAR)));
  } else {
    const DWORD number = numberOf(value);
    e = RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                       sizeof number);
  }
  return resultOf(DWORD(e));
}

// A section is one transaction: a crash leaves it whole or absent, while a
// line refused keeps what came before it, as every failure does.
DWORD importSection(const WCHAR* section, const WCHAR* file) {
  HKEY root;
  Text rootName, subKey;
  if (!splitKeyPath(section, root, rootName, subKey)) return QEL_E_INVALIDARG;
  RegistryTransaction transaction;
  OpenKey key;
  if (LONG e = transaction.createKey(root, subKey.c_str(), QEL_REG_WRITE, key.out()))
    return resultOf(DWORD(e));
  HeapBlock<WCHAR> lines;
  DWORD result =
      readList([&](WCHAR* buffer,
                   DWORD capacity) { return GetPrivateProfileSectionW(section, buffer, capacity, file); },
               lines.out());
  for (const WCHAR* line = lines.get(); !result && line && *line; line += Text(line).size() + 1)
    result = importLine(line, key.get());
  if (LONG e = key.close(); e && !result) result = resultOf(DWORD(e));
  if (LONG e = transaction.commit(); e && !result) result = resultOf(DWORD(e));
  return result;
}

DWORD importFile(const WCHAR* file) {
  HeapBlock<WCHAR> names;
  DWORD result = readList(
      [&](WCHAR* buffer, DWORD capacity) { return GetPrivateProfileSectionNamesW(buffer, capacity, file); },
      names.out());
  for (const WCHAR* name = names.get(); !result && name && *name; name += Text(name).size() + 1)
    result = importSection(name, file);
  return result;
}

}  // namespace
}  // namespace qel::registry

namespace {

// Imports the files in order; stops at the first failure.  nameAt(i) is
// the i-th file name.
template <class NameAt>
DWORD importEach(size_t count, NameAt nameAt) {
  return qel::guarded(QEL_E_OUTOFMEMORY, [&]() -> DWORD {
    for (size_t i = 0; i < count; ++i)
      if (DWORD r = qel::registry::importFile(nameAt(i))) return r;
    return 0;
  });
}

}  // namespace

extern "C" DWORD QEL_CDECL QEL_RegImport(const QELFileNameList* pFiles) {
  if (!pFiles) return QEL_E_INVALIDARG;
  return importEach(pFiles->size(), [pFiles](size_t i) { return (*pFiles)[i].c_str(); });
}

extern "C" DWORD QEL_CDECL QEL_RegImportFiles(const LPCWSTR* ppszFiles, DWORD nFiles) {
  if (nFiles && !ppszFiles) return QEL_E_INVALIDARG;
  for (DWORD i = 0; i < nFiles; ++i)
    if (!ppszFiles[i]) return QEL_E_INVALIDARG;
  return importEach(nFiles, [ppszFiles](size_t i) { return ppszFiles[i]; });
}
