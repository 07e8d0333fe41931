/* Root names of registry scripts. */
#include <iterator>

#include "frame/ResultCodes.h"
#include "registry/ScriptInternal.h"

namespace qel::registry {
namespace {

struct Root {
  const char* name;
  HKEY key;
};

// In the order they are tried; no abbreviations.
const Root kRoots[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},   {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
};

bool sameAscii(const Text& text, const char* name) {
  size_t i = 0;
  for (; i < text.size() && name[i]; ++i) {
    WCHAR c = text[i] >= 'a' && text[i] <= 'z' ? WCHAR(text[i] - 32) : text[i];
    if (c != WCHAR(name[i])) return false;
  }
  return i == text.size() && !name[i];
}

}  // namespace

bool splitKeyPath(const WCHAR* path, HKEY& root, Text& rootName, Text& subKey) {
  if (!path) return false;
  const Text whole(path);
  const size_t slash = whole.find(WCHAR('\\'));
  if (slash == Text::npos) return false;
  rootName = whole.substr(0, slash);
  subKey = whole.substr(slash + 1);
  for (const Root& r : kRoots)
    if (sameAscii(rootName, r.name)) return root = r.key, true;
  return false;
}

DWORD resultOf(DWORD error) { return error ? QEL_HRESULT_FROM_ERROR(error) : 0; }

}  // namespace qel::registry
