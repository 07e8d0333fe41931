/* What the registry export and import share. */
#ifndef QELBASE_SCRIPT_INTERNAL_H
#define QELBASE_SCRIPT_INTERNAL_H

#include <string>

#include "frame/QELBaseDefs.h"

namespace qel::registry {

using Text = std::basic_string<WCHAR>;

// Splits "ROOTNAME\sub\path" at the first backslash; false unless the
// root is one of the six full root names (any case).
bool splitKeyPath(const WCHAR* path, HKEY& root, Text& rootName, Text& subKey);
// A Windows error as a result code, 0 staying 0.
DWORD resultOf(DWORD error);

}  // namespace qel::registry

#endif
