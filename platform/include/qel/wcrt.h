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
/* The standard headers first: their using-declarations must see only the
   host library's wchar_t functions, not these overloads. */
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>

int iswspace(WCHAR c);
int iswalpha(WCHAR c);
WCHAR towupper(WCHAR c);
WCHAR towlower(WCHAR c);
size_t wcslen(const WCHAR* s);
int wcscmp(const WCHAR* a, const WCHAR* b);
/* Reads as the runtime does: leading white space, sign, digits with the
   _wsetlocale decimal point, exponent, INF and NAN. */
double wcstod(const WCHAR* s, WCHAR** end);
#endif

#endif /* POSIX */

#endif /* QEL_WCRT_H */
