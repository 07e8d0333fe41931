/* Text in and out of the qel tool: UTF-16 inside, UTF-8 on the terminal. */
#ifndef QEL_CLI_CONSOLE_H
#define QEL_CLI_CONSOLE_H

#include <qel/win32.h>

#include <string>
#include <string_view>
#include <vector>

#include "strings/Utf8Text.h"

namespace qel::cli {

using qel::fromUtf8;
using qel::toUtf8;

// UTF-8 with control characters as \xHH and surrogate halves as \uXXXX,
// so that a cut of text shows exactly.
std::string visibleUtf8(std::basic_string_view<WCHAR> text);

// Parses a decimal or 0x-prefixed hexadecimal 32-bit value.
bool parseCode(std::string_view text, DWORD& value);

// The library's own message text for a result code, in the user's language.
std::string messageText(DWORD code, DWORD language = 0);

// Prints "qel: <message>" and the command's usage to stderr; returns 2.
int usageError(std::string_view message, std::string_view usage);

// The whole of FILE ("-": standard input) in `out`; on failure prints
// "qel: cannot read 'FILE': <reason>" and returns false.  Directories and
// files that fail while being read are failures too.
bool readInput(std::string_view file, std::string& out);

// Whether FILE opens for reading and reads (a directory does not); if not,
// prints "qel: cannot read 'FILE': <the system's message>".
bool canRead(std::string_view file);

// Splits text into lines at LF, dropping a CR before it.
std::vector<std::string> splitLines(const std::string& text);

}  // namespace qel::cli

#endif
