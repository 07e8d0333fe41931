/** @file
 * Turning result codes into text: the catalogue, then the system, then a fallback. */
#ifndef QELBASE_MESSAGE_H
#define QELBASE_MESSAGE_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** Writes the text of `code` in `language` (0: the platform's choice) into
   `buffer` of `size` wide characters, filling its inserts from the variable
   arguments.  Always returns 0; an unknown code gives
   "Unknown Error Code: XXXXXXXX", cut to the buffer. */
DWORD QEL_CDECL QELBaseFormatMessage(DWORD code, DWORD language, LPWSTR buffer, DWORD size, ...);
/** QELBaseFormatMessage with the inserts' arguments in a va_list. */
DWORD QEL_CDECL QELBaseFormatMessageVA(DWORD code, DWORD language, LPWSTR buffer, DWORD size, va_list args);

QEL_END_DECLS

#endif
