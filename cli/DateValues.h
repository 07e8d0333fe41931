/* Date/time values and intervals as the tool reads and prints them. */
#ifndef QEL_CLI_DATE_VALUES_H
#define QEL_CLI_DATE_VALUES_H

#include <qel/win32.h>

#include <string>
#include <string_view>

namespace qel::cli {

// YYYY-MM-DDTHH:MM:SS.mmm
std::string isoText(const SYSTEMTIME& v);
// YYYY-MM-DD[(T| )HH:MM[:SS[.mmm]]], normalised as TDSetTime does.
bool parseValue(std::string_view text, SYSTEMTIME& v);
// An ISO 8601 duration P[nY][nM][nD][T[nH][nM][n[.mmm]S]] as an interval.
bool parseInterval(std::string_view text, SYSTEMTIME& interval);

}  // namespace qel::cli

#endif
