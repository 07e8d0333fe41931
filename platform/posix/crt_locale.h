/* The runtime library's locale, as _wsetlocale sets it for the process. */
#ifndef QEL_POSIX_CRT_LOCALE_H
#define QEL_POSIX_CRT_LOCALE_H

#include "locale_table.h"

namespace qel::posix {

// The table locale of a category (LC_NUMERIC, LC_CTYPE, ...); null for "C".
const LocaleData* crtLocale(int category);

// The decimal separator of the numeric category: '.' in the "C" locale.
char16_t crtDecimalPoint();

}  // namespace qel::posix

#endif
