/* Text in and out of the qel tool: UTF-16 inside, UTF-8 on the terminal. */
#ifndef QEL_CLI_CONSOLE_H
#define QEL_CLI_CONSOLE_H

#include <qel/win32.h>

#include <string>
#include <string_view>

namespace qel::cli {

std::string toUtf8(std::basic_string_view<WCHAR> text);
std::basic_string<WCHAR> fromUtf8(std::string_view text);

// UTF-8 with control characters as \xHH and surrogate halves as \uXXXX,
// so that a cut of text shows exactly.
std::string visibleUtf8(std::basic_string_view<WCHAR> text);

// Parses a decimal or 0x-prefixed hexadecimal 32-bit value.
bool parseCode(std::string_view text, DWORD& value);

// The library's own message text for a result code, in the user's language.
std::string messageText(DWORD code, DWORD language = 0);

// Prints "qel: <message>" and the command's usage to stderr; returns 2.
int usageError(std::string_view message, std::string_view usage);

}  // namespace qel::cli

#endif
