/* String values below HKEY_LOCAL_MACHINE, one at a time or from a file. */
#include <optional>
#include <string>

#include "frame/Boundary.h"
#include "frame/ScopeGuards.h"
#include "registry/RegistryHelpers.h"
#include "registry/RegistryScripts.h"
#include "registry/ScriptInternal.h"

namespace qel::registry {
namespace {

constexpr size_t kLineLimit = 998;  // characters of a line, its end included, as a 999-character read holds

// The file as single-byte text in the ANSI code page, read as the runtime's
// text mode does (CR LF becomes LF); false when it cannot be opened or read.
bool readText(const WCHAR* path, Text& text) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  struct Closer {
    HANDLE file;
    ~Closer() { CloseHandle(file); }  // also when the text outgrows the memory
  } closer{file};
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  BOOL ok;
  while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got) bytes.append(chunk, got);
  if (!ok) return false;
  std::string lines;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) lines += bytes[i];
  text.assign(lines.size(), 0);
  if (!lines.empty())
    MultiByteToWideChar(CP_ACP, 0, lines.data(), int(lines.size()), text.data(), int(text.size()));
  return true;
}

// A string value, terminator included.
LONG setText(HKEY key, LPCWSTR name, LPCWSTR value) {
  size_t length = 0;
  while (value[length]) ++length;
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                        DWORD((length + 1) * sizeof(WCHAR)));
}

// Where the lines of an update file go: the current key path and, once a
// key line has created it, that key, open in the key line's transaction.
// A key line and its values are one transaction.
struct UpdateTarget {
  Text current;
  std::optional<RegistryTransaction> transaction;
  OpenKey key;

  LONG finish() {
    key.close();
    LONG e = transaction ? transaction->commit() : ERROR_SUCCESS;
    transaction.reset();
    return e;
  }
};

// "[root\SOFTWARE\path]": path is created below HKLM\SOFTWARE and
// "SOFTWARE\path" becomes the current key.
LONG applyKeyLine(const Text& line, UpdateTarget& target) {
  if (LONG e = target.finish()) return e;
  const Text inside = line.substr(0, line.size() - 1);  // the "]"
  const size_t first = inside.find(WCHAR('\\'));
  if (first == Text::npos) return target.current.clear(), ERROR_SUCCESS;  // no path: values are not applied
  target.current = inside.substr(first + 1);
  const size_t second = target.current.find(WCHAR('\\'));
  if (second == Text::npos) return ERROR_SUCCESS;  // nothing below the first level to create
  OpenKey software;
  if (LONG e = RegOpenKeyExW(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE"), 0, QEL_REG_WRITE, software.out()))
    return e;
  target.transaction.emplace();
  const Text below = target.current.substr(second + 1);
  LONG e = target.transaction->createKey(software.get(), below.c_str(), QEL_REG_ALL_ACCESS, target.key.out());
  // Values reach the created key through it only when it is the current key.
  if (target.current.compare(0, second, QEL_W("SOFTWARE")) != 0) target.key.close();
  return e;
}

// "name"="text": the characters around both are taken for the quotes.
LONG applyValueLine(const Text& line, const UpdateTarget& target) {
  const size_t eq = line.find(WCHAR('='));
  if (eq == Text::npos || eq < 2 || line.size() - eq - 1 < 2 || target.current.empty()) return ERROR_SUCCESS;
  const Text name = line.substr(1, eq - 2);
  const Text text = line.substr(eq + 2, line.size() - eq - 3);
  if (!target.key.get()) return UpdateRegistry(target.current.c_str(), name.c_str(), text.c_str());
  return setText(target.key.get(), name.c_str(), text.c_str());
}

LONG applyLine(Text line, UpdateTarget& target) {
  if (line.compare(0, 7, QEL_W("REGEDIT")) == 0 || line.size() < 2 || line[0] == ';') return ERROR_SUCCESS;
  if (line.back() == '\n') line.pop_back();
  return line[0] == '[' ? applyKeyLine(line, target) : applyValueLine(line, target);
}

}  // namespace
}  // namespace qel::registry

extern "C" {

LONG QEL_STDCALL UpdateRegistry(LPCWSTR pszSubKey, LPCWSTR pszValueName, LPCWSTR pszValue) {
  HKEY key;
  if (LONG e = RegOpenKeyExW(HKEY_LOCAL_MACHINE, pszSubKey, 0, QEL_REG_WRITE, &key)) return e;
  LONG e = qel::registry::setText(key, pszValueName, pszValue ? pszValue : QEL_W(""));
  RegCloseKey(key);
  return e;
}

LONG QEL_STDCALL UpdateRegistryWithFile(LPCWSTR pszPath) {
  using namespace qel::registry;
  return qel::guarded(LONG(ERROR_NOT_ENOUGH_MEMORY), [&]() -> LONG {
    Text text;
    UpdateTarget target;
    if (!pszPath || !readText(pszPath, text)) return ERROR_SUCCESS;
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find(WCHAR('\n'), at);
      end = end == Text::npos ? text.size() : end + 1;
      // A line longer than the reader holds is not of the simple form: skipped whole.
      if (end - at <= kLineLimit)
        if (LONG e = applyLine(text.substr(at, end - at), target)) {
          target.finish();  // what came before the failing line stays
          return e;
        }
      at = end;
    }
    return target.finish();
  });
}

}  // extern "C"
