/*
 * The wide-character functions of the C runtime that the library calls.
 *
 * On Windows they come from the runtime headers.  Elsewhere WCHAR is
 * char16_t, which the host C library knows nothing of, so these overloads
 * provide the Microsoft runtime's behaviour: classification by the Unicode
 * space set, case mapping that follows the _wsetlocale locale (ASCII only
 * in the "C" locale).
 */
#ifndef QEL_WCRT_H
#define QEL_WCRT_H

#include <qel/win32.h>

#ifdef _WIN32

#include <wchar.h>
#include <wctype.h>

#else /* POSIX */

#ifdef __cplusplus
int iswspace(WCHAR c);
int iswalpha(WCHAR c);
WCHAR towupper(WCHAR c);
WCHAR towlower(WCHAR c);
#endif

#endif /* POSIX */

#endif /* QEL_WCRT_H */
