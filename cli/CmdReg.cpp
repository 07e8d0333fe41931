/* qel reg: read, write, delete and list keys and values of the registry. */
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Console.h"
#include "RegistryText.h"
#include "frame/ResultCodes.h"
#include "registry/RegistryScripts.h"

namespace qel::cli {
namespace {

constexpr std::string_view kUsage =
    "qel reg get KEYPATH [VALUE] | set KEYPATH VALUE TYPE DATA | delete KEYPATH [VALUE] | list KEYPATH\n"
    "       qel reg export KEYPATH FILE [--recursive] | import FILE... | update FILE";

using WString = std::basic_string<WCHAR>;

int failed(LSTATUS status, std::string_view what) {
  std::cerr << "qel: " << what << ": " << messageText(DWORD(status)) << "\n";
  return 1;
}

// The key of KEYPATH, opened (or with `create`, created) with `access`.
class OpenedKey {
 public:
  OpenedKey(const KeyPath& path, REGSAM access, bool create) {
    status_ = create ? RegCreateKeyExW(path.root, path.subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       access, nullptr, &key_, nullptr)
                     : RegOpenKeyExW(path.root, path.subKey.c_str(), 0, access, &key_);
  }
  ~OpenedKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  LSTATUS status() const { return status_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
  LSTATUS status_;
};

LSTATUS readValue(HKEY key, const WString& name, DWORD& type, std::vector<BYTE>& data) {
  DWORD size = 0;
  LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  while (status == ERROR_SUCCESS) {  // the value may grow between the two calls
    data.resize(size);
    status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
    if (status != ERROR_MORE_DATA) break;
    status = ERROR_SUCCESS;
  }
  data.resize(size);
  return status;
}

int get(const KeyPath& path, const WString& name) {
  OpenedKey key(path, KEY_QUERY_VALUE, false);
  if (key.status()) return failed(key.status(), "cannot open the key");
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  if (LSTATUS status = readValue(key.get(), name, type, data)) return failed(status, "cannot read the value");
  std::cout << dataText(type, data) << "\n";
  return 0;
}

int set(const KeyPath& path, const WString& name, std::string_view typeText, std::string_view dataText) {
  auto type = parseTypeName(typeText);
  if (!type) return usageError("unknown TYPE '" + std::string(typeText) + "'", kUsage);
  auto data = parseData(*type, dataText);
  if (!data) return usageError("DATA does not fit " + typeName(*type), kUsage);
  OpenedKey key(path, KEY_SET_VALUE, true);
  if (key.status()) return failed(key.status(), "cannot create the key");
  if (LSTATUS status = RegSetValueExW(key.get(), name.c_str(), 0, *type, data->data(), DWORD(data->size())))
    return failed(status, "cannot set the value");
  return 0;
}

int remove(const KeyPath& path, const WString* name) {
  if (!name) {
    LSTATUS status = RegDeleteKeyW(path.root, path.subKey.c_str());
    return status ? failed(status, "cannot delete the key") : 0;
  }
  OpenedKey key(path, KEY_SET_VALUE, false);
  if (key.status()) return failed(key.status(), "cannot open the key");
  LSTATUS status = RegDeleteValueW(key.get(), name->c_str());
  return status ? failed(status, "cannot delete the value") : 0;
}

int list(const KeyPath& path) {
  OpenedKey key(path, KEY_READ, false);
  if (key.status()) return failed(key.status(), "cannot open the key");
  std::vector<WCHAR> name(16384);
  LSTATUS status = ERROR_SUCCESS;
  for (DWORD i = 0; status == ERROR_SUCCESS; ++i) {
    DWORD length = DWORD(name.size());
    status = RegEnumKeyExW(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) std::cout << toUtf8({name.data(), length}) << "\\\n";
  }
  for (DWORD i = 0; status == ERROR_SUCCESS || status == ERROR_NO_MORE_ITEMS; ++i) {
    DWORD length = DWORD(name.size()), type = REG_NONE;
    status = RegEnumValueW(key.get(), i, name.data(), &length, nullptr, &type, nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;
    std::vector<BYTE> data;
    WString valueName(name.data(), length);
    if ((status = readValue(key.get(), valueName, type, data)) != ERROR_SUCCESS) break;
    std::cout << (valueName.empty() ? "(Default)" : toUtf8(valueName)) << "\t" << typeName(type) << "\t"
              << dataText(type, data) << "\n";
  }
  return status == ERROR_NO_MORE_ITEMS ? 0 : failed(status, "cannot list the key");
}

// A result of the registry scripts: 0, or a code whose message is shown.
int scriptResult(DWORD code, std::string_view what) {
  if (!code) return 0;
  std::cerr << "qel: " << what << ": " << messageText(code) << "\n";
  return 1;
}

// The export goes to a temporary file beside FILE, which replaces FILE only
// when the export succeeded: a failing export never costs the user's file.
int exportKey(const KeyPath& path, std::string_view file, bool recursive) {
  const WString key = fromUtf8(path.rootName) + WCHAR('\\') + path.subKey;
  const WString target = fromUtf8(file);
  const WString temporary = target + QEL_W(".qel-export-") + fromUtf8(std::to_string(GetCurrentProcessId()));
  const RegExportParams params{FALSE, recursive, FALSE, key.c_str(), temporary.c_str()};
  DWORD rc = QEL_RegExport(&params);
  if (rc == 0 && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
    rc = QEL_HRESULT_FROM_ERROR(GetLastError());
  if (rc) DeleteFileW(temporary.c_str());
  return scriptResult(rc, "cannot export the key");
}

// The library passes over a file it cannot open; the tool names it first.
bool allReadable(Args files) {
  for (std::string_view file : files)
    if (!canRead(file)) return false;
  return true;
}

int runReg(Args args) {
  static constexpr std::string_view kActions[] = {"get",    "set",    "delete", "list",
                                                  "export", "import", "update"};
  if (args.empty()) return usageError("expected an action and a KEYPATH", kUsage);
  const std::string_view action = args[0];
  if (std::find(std::begin(kActions), std::end(kActions), action) == std::end(kActions))
    return usageError("unknown action '" + std::string(action) + "'", kUsage);
  if (args.size() < 2) return usageError(std::string(action) + " needs more arguments", kUsage);
  if (action == "import") {
    if (!allReadable(args.subspan(1))) return 1;
    QELFileNameList files;
    for (size_t i = 1; i < args.size(); ++i) files.push_back(fromUtf8(args[i]));
    return scriptResult(QEL_RegImport(&files), "cannot import");
  }
  if (action == "update" && args.size() == 2) {
    if (!allReadable(args.subspan(1))) return 1;
    return scriptResult(DWORD(UpdateRegistryWithFile(fromUtf8(args[1]).c_str())), "cannot update");
  }
  auto path = parseKeyPath(args[1]);
  if (!path) return usageError("KEYPATH must start with a root such as HKEY_LOCAL_MACHINE or HKCU", kUsage);
  const WString name = args.size() > 2 ? fromUtf8(args[2]) : WString();
  if (action == "get" && args.size() <= 3) return get(*path, name);
  if (action == "set" && args.size() == 5) return set(*path, name, args[3], args[4]);
  if (action == "delete" && args.size() <= 3) return remove(*path, args.size() == 3 ? &name : nullptr);
  if (action == "list" && args.size() == 2) return list(*path);
  if (action == "export" && (args.size() == 3 || (args.size() == 4 && args[3] == "--recursive")))
    return exportKey(*path, args[2], args.size() == 4);
  return usageError("wrong arguments for " + std::string(action), kUsage);
}

}  // namespace

const Command kRegCommand{
    "reg", "get|set|delete|list|export KEYPATH ... | import|update FILE",
    "read, write, delete, list, export and import registry keys and values",
    "qel reg get KEYPATH [VALUE]          print a value (without VALUE: the key's default value)\n"
    "qel reg set KEYPATH VALUE TYPE DATA  set a value, creating the key and the keys on its path\n"
    "qel reg delete KEYPATH [VALUE]       delete a value, or the key itself (which must have no subkeys)\n"
    "qel reg list KEYPATH                 subkeys (ending in \\), then values: name, type, data\n"
    "qel reg export KEYPATH FILE [--recursive]\n"
    "                                     the key's strings and 32-bit numbers (with --recursive, its\n"
    "                                     subkeys' too) to FILE as REGEDIT4 sections; FILE is replaced\n"
    "                                     only when the export succeeded\n"
    "qel reg import FILE...               the sections of REGEDIT4 files back into the registry\n"
    "qel reg update FILE                  \"[ROOT\\SOFTWARE\\PATH]\" lines create PATH below\n"
    "                                     HKEY_LOCAL_MACHINE\\SOFTWARE, \"name\"=\"text\" lines set strings "
    "there\n"
    "KEYPATH is a root (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_USERS,\n"
    "HKEY_CURRENT_CONFIG, or HKLM, HKCU, HKCR, HKU, HKCC) and the path below it, separated by \\ or /.\n"
    "An empty VALUE (\"\") is the default value.  TYPE is REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ (strings\n"
    "separated by \\0), REG_DWORD, REG_QWORD (decimal or 0x-hex), REG_BINARY or REG_NONE (hex bytes,\n"
    "blanks allowed); the REG_ may be left out.  Data is shown in the same forms.\n"
    "The store is the SQLite database named by QELBASE_REGISTRY, else\n"
    "$XDG_DATA_HOME/qelbase/registry.db (~/.local/share/qelbase/registry.db).\n",
    runReg};

}  // namespace qel::cli
