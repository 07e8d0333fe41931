/* Registry key paths, value types and value data as the qel tool shows them. */
#ifndef QEL_CLI_REGISTRY_TEXT_H
#define QEL_CLI_REGISTRY_TEXT_H

#include <qel/win32.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::cli {

struct KeyPath {
  HKEY root;
  std::basic_string<WCHAR> subKey;  // below the root, without a leading backslash
  const char* rootName;             // the full name, HKEY_...
};

// "HKEY_LOCAL_MACHINE\SOFTWARE\X" or the short root names (HKLM, HKCU, HKCR,
// HKU, HKCC), case-blind; "/" also separates.
std::optional<KeyPath> parseKeyPath(std::string_view text);

// "REG_SZ", ... or "type N".
std::string typeName(DWORD type);
std::optional<DWORD> parseTypeName(std::string_view text);

// Strings as text, numbers in decimal, REG_MULTI_SZ as its strings joined by
// "\0", anything else as hexadecimal bytes.
std::string dataText(DWORD type, const std::vector<BYTE>& data);
// The other way round; nullopt for data that does not fit the type.
std::optional<std::vector<BYTE>> parseData(DWORD type, std::string_view text);

}  // namespace qel::cli

#endif
