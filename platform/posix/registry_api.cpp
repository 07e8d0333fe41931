/*
 * The Reg* calls over the registry store, with Windows' statuses, access
 * checks and buffer-size protocols.  A handle is an entry of the process's
 * handle table naming a key id and the access it was opened with; the
 * predefined roots are handles of their own with every right.
 */
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>

#include "handles.h"
#include "registry_store.h"

using namespace qel::posix::registry;

namespace {

// A transaction's handle; closing it rolls back what was not committed.
struct TransactionObject : qel::posix::KernelObject {
  Transaction store;
};

struct OpenKey {
  KeyId id;
  REGSAM access;
};

struct HandleTable {
  std::mutex mutex;
  std::unordered_set<const OpenKey*> open;
};

HandleTable& handles() {
  static HandleTable* table = new HandleTable;  // outlives exit handlers
  return *table;
}

constexpr REGSAM kGenericRead = 0x80000000u, kGenericWrite = 0x40000000u, kGenericAll = 0x10000000u,
                 kMaximumAllowed = 0x02000000u;

REGSAM specificRights(REGSAM sam) {
  if (sam & (kGenericAll | kMaximumAllowed)) sam |= KEY_ALL_ACCESS;
  if (sam & kGenericRead) sam |= KEY_READ;
  if (sam & kGenericWrite) sam |= KEY_WRITE;
  return sam & KEY_ALL_ACCESS;
}

HKEY newHandle(KeyId id, REGSAM access) {
  auto key = std::make_unique<OpenKey>(OpenKey{id, specificRights(access)});
  std::lock_guard lock(handles().mutex);
  handles().open.insert(key.get());
  return reinterpret_cast<HKEY>(key.release());  // the table holds it now
}

bool isPredefined(HKEY key) {
  const auto value = LONG_PTR(key);
  return value >= LONG_PTR(LONG(0x80000000u)) && value <= LONG_PTR(LONG(0x80000005u));
}

// The key a handle names and the rights it carries; ERROR_KEY_DELETED when
// another handle has deleted the key meanwhile.
LSTATUS resolve(Session& s, HKEY key, KeyId& id, REGSAM& access) {
  if (s.root(key, id) == ERROR_SUCCESS) {
    access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  {
    std::lock_guard lock(handles().mutex);
    auto* open = reinterpret_cast<const OpenKey*>(key);
    if (!handles().open.count(open)) return ERROR_INVALID_HANDLE;
    id = open->id;
    access = open->access;
  }
  return s.exists(id);
}

LSTATUS resolve(Session& s, HKEY key, REGSAM needed, KeyId& id) {
  REGSAM access = 0;
  LSTATUS status = resolve(s, key, id, access);
  if (status == ERROR_SUCCESS && (access & needed) != needed) return ERROR_ACCESS_DENIED;
  return status;
}

// The names of a subkey path; a leading or doubled backslash is no path.
LSTATUS splitPath(LPCWSTR path, std::vector<Name>& parts) {
  if (!path) return ERROR_SUCCESS;
  const Name p(path);
  if (!p.empty() && p[0] == u'\\') return ERROR_BAD_PATHNAME;
  for (size_t start = 0; start < p.size();) {
    size_t end = std::min(p.find(u'\\', start), p.size());
    if (end == start) return ERROR_BAD_PATHNAME;
    parts.push_back(p.substr(start, end - start));
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

// Windows' limits: a key name of up to 255 characters, a value name of up
// to 16,383.  Control characters are refused in new key names as well: the
// registry's text files (and Windows' own tools) cannot write them back.
constexpr size_t kMaxKeyName = 255, kMaxValueName = 16383;

bool acceptableKeyName(const Name& name) {
  if (name.size() > kMaxKeyName) return false;
  for (char16_t c : name)
    if (c < 0x20 || c == 0x7F) return false;
  return true;
}

// Follows the existing part of the path; `found` counts its names.
LSTATUS walk(Session& s, KeyId& id, const std::vector<Name>& parts, size_t& found) {
  for (found = 0; found < parts.size(); ++found) {
    LSTATUS status = s.child(id, parts[found], id);
    if (status) return status;
  }
  return ERROR_SUCCESS;
}

// The existing key at a path below a handle.
LSTATUS findKey(Session& s, HKEY key, LPCWSTR path, KeyId& id, std::vector<Name>& parts) {
  size_t found;
  LSTATUS status = s.status();
  if (!status) status = resolve(s, key, 0, id);
  if (!status) status = splitPath(path, parts);
  if (!status) status = walk(s, id, parts, found);
  return status;
}

// Copies a byte value out by the size protocol of RegQueryValueExW.
LSTATUS copyData(const Bytes& data, LPBYTE out, LPDWORD size) {
  if (!size) return ERROR_SUCCESS;
  const auto needed = DWORD(data.size());
  if (out && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (out && needed) std::memcpy(out, data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

// Copies a name into a buffer of *length characters, terminator included;
// on success *length is the name's length.
LSTATUS copyName(const Name& name, LPWSTR out, LPDWORD length) {
  if (name.size() + 1 > *length) return ERROR_MORE_DATA;
  std::memcpy(out, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
  *length = DWORD(name.size());
  return ERROR_SUCCESS;
}

template <class Body>
LSTATUS shielded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  } catch (...) {
    return ERROR_REGISTRY_IO_FAILED;
  }
}

}  // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  return shielded([&]() -> LSTATUS {
    Session s(false);
    KeyId id;
    std::vector<Name> parts;
    if (LSTATUS status = findKey(s, hKey, lpSubKey, id, parts)) return status;
    // An empty path on a predefined root gives back the root itself.
    *phkResult = parts.empty() && isPredefined(hKey) ? hKey : newHandle(id, samDesired);
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                               const LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  return shielded([&]() -> LSTATUS {
    Session s(true);
    KeyId id;
    REGSAM access = 0;
    std::vector<Name> parts;
    size_t found = 0;
    LSTATUS status = s.status();
    if (!status) status = resolve(s, hKey, id, access);
    if (!status) status = splitPath(lpSubKey, parts);
    if (!status) status = walk(s, id, parts, found);
    const bool created = status == ERROR_FILE_NOT_FOUND;
    if (created) status = (access & KEY_CREATE_SUB_KEY) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    for (size_t i = found; created && !status && i < parts.size(); ++i)
      status = acceptableKeyName(parts[i]) ? s.addChild(id, parts[i], id) : ERROR_INVALID_PARAMETER;
    if (!status && created) status = s.commit();
    if (status) return status;
    *phkResult = parts.empty() && isPredefined(hKey) ? hKey : newHandle(id, samDesired);
    if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
  });
}

HANDLE WINAPI CreateTransaction(LPSECURITY_ATTRIBUTES, LPGUID, DWORD, DWORD, DWORD, DWORD, LPWSTR) {
  try {
    return qel::posix::addHandle(std::make_shared<TransactionObject>());
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

BOOL WINAPI CommitTransaction(HANDLE TransactionHandle) {
  auto transaction = qel::posix::handleOf<TransactionObject>(TransactionHandle);
  if (!transaction) return FALSE;
  LSTATUS status = transaction->store.commit();
  if (status) SetLastError(status);
  return status == ERROR_SUCCESS;
}

BOOL WINAPI RollbackTransaction(HANDLE TransactionHandle) {
  auto transaction = qel::posix::handleOf<TransactionObject>(TransactionHandle);
  if (transaction) transaction->store.rollback();
  return transaction != nullptr;
}

LSTATUS WINAPI RegCreateKeyTransactedW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass,
                                       DWORD dwOptions, REGSAM samDesired,
                                       const LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                                       LPDWORD lpdwDisposition, HANDLE hTransaction, PVOID) {
  auto transaction = qel::posix::handleOf<TransactionObject>(hTransaction);
  if (!transaction) return ERROR_INVALID_HANDLE;
  if (LSTATUS status = shielded([&] { return transaction->store.enter(); })) return status;
  return RegCreateKeyExW(hKey, lpSubKey, Reserved, lpClass, dwOptions, samDesired, lpSecurityAttributes,
                         phkResult, lpdwDisposition);
}

LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  return shielded([&]() -> LSTATUS {
    Session s(true);
    KeyId id;
    std::vector<Name> parts;
    bool hasSubkeys = false;
    LSTATUS status = findKey(s, hKey, lpSubKey, id, parts);
    if (!status) status = s.hasChildren(id, hasSubkeys);
    if (!status && (hasSubkeys || s.isProtected(id))) status = ERROR_ACCESS_DENIED;
    if (!status) status = s.removeKey(id);
    return status ? status : s.commit();
  });
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  if (isPredefined(hKey)) return ERROR_SUCCESS;
  std::lock_guard lock(handles().mutex);
  auto* open = reinterpret_cast<const OpenKey*>(hKey);
  if (!handles().open.erase(open)) return ERROR_INVALID_HANDLE;
  delete open;
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  return shielded([&]() -> LSTATUS {
    Session s(false);
    KeyId id;
    DWORD type = REG_NONE;
    Bytes data;
    LSTATUS status = s.status();
    if (!status) status = resolve(s, hKey, KEY_QUERY_VALUE, id);
    if (!status) status = s.value(id, lpValueName ? lpValueName : u"", type, data);
    if (status) return status;
    if (lpType) *lpType = type;
    return copyData(data, lpData, lpcbData);
  });
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                              DWORD cbData) {
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  if (lpValueName && std::char_traits<char16_t>::length(lpValueName) > kMaxValueName)
    return ERROR_INVALID_PARAMETER;
  return shielded([&]() -> LSTATUS {
    Session s(true);
    KeyId id;
    LSTATUS status = s.status();
    if (!status) status = resolve(s, hKey, KEY_SET_VALUE, id);
    if (!status) status = s.setValue(id, lpValueName ? lpValueName : u"", dwType, lpData, cbData);
    return status ? status : s.commit();
  });
}

LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  return shielded([&]() -> LSTATUS {
    Session s(true);
    KeyId id;
    LSTATUS status = s.status();
    if (!status) status = resolve(s, hKey, KEY_SET_VALUE, id);
    if (!status) status = s.removeValue(id, lpValueName ? lpValueName : u"");
    return status ? status : s.commit();
  });
}

LSTATUS WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD,
                             LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  if (!lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
  return shielded([&]() -> LSTATUS {
    Session s(false);
    KeyId id;
    Name name;
    FILETIME written{};
    LSTATUS status = s.status();
    if (!status) status = resolve(s, hKey, KEY_ENUMERATE_SUB_KEYS, id);
    if (!status) status = s.childAt(id, dwIndex, name, written);
    if (!status) status = copyName(name, lpName, lpcchName);
    if (status) return status;
    if (lpClass && lpcchClass && *lpcchClass) lpClass[0] = 0;  // keys have no class
    if (lpcchClass) *lpcchClass = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = written;
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                             LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  return shielded([&]() -> LSTATUS {
    Session s(false);
    KeyId id;
    Value value;
    LSTATUS status = s.status();
    if (!status) status = resolve(s, hKey, KEY_QUERY_VALUE, id);
    if (!status) status = s.valueAt(id, dwIndex, value);
    if (!status) status = copyName(value.name, lpValueName, lpcchValueName);
    if (status) return status;
    if (lpType) *lpType = value.type;
    return copyData(value.data, lpData, lpcbData);
  });
}

LSTATUS WINAPI RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                                LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
  if (lpClass && !lpcchClass) return ERROR_INVALID_PARAMETER;
  return shielded([&]() -> LSTATUS {
    Session s(false);
    KeyId id;
    KeyInfo info;
    LSTATUS status = s.status();
    if (!status) status = resolve(s, hKey, KEY_QUERY_VALUE, id);
    if (!status) status = s.info(id, info);
    if (status) return status;
    if (lpClass && *lpcchClass) lpClass[0] = 0;  // keys have no class
    if (lpcchClass) *lpcchClass = 0;
    if (lpcSubKeys) *lpcSubKeys = info.subkeys;
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = info.longestSubkey;
    if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
    if (lpcValues) *lpcValues = info.values;
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = info.longestValueName;
    if (lpcbMaxValueLen) *lpcbMaxValueLen = info.longestData;
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = info.written;
    return ERROR_SUCCESS;
  });
}

}  // extern "C"
