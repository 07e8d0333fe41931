/*
 * What CreateProcessW needs from a Windows command line: its words, split
 * as CommandLineToArgvW splits them, and the program file its first word
 * names.
 */
#ifndef QEL_POSIX_COMMAND_LINE_H
#define QEL_POSIX_COMMAND_LINE_H

#include <string>
#include <string_view>
#include <vector>

namespace qel::posix {

// The first word ends at the first blank or, when it starts with a quote,
// at the next quote; the others follow the backslash and quote rules.
std::vector<std::u16string> splitCommandLine(std::u16string_view line);

// The executable file a program name stands for, matched without regard to
// ASCII case and with or without ".exe": in its own folder when the name
// holds a slash, else in each folder of searchPath (colon-separated, an
// empty entry the current folder).  Empty when there is none.
std::string findProgram(const std::string& name, const std::string& searchPath);

}  // namespace qel::posix

#endif
