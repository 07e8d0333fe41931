/*
 * The locales the POSIX platform layer knows, with Windows' own values, and
 * the choice of the default locale from the environment.  The machine's
 * installed locales are never consulted.
 */
#ifndef QEL_POSIX_LOCALE_TABLE_H
#define QEL_POSIX_LOCALE_TABLE_H

#include <qel/win32.h>

#include <string_view>

namespace qel::posix {

struct LocaleData {
  LCID lcid;
  std::u16string_view name;            // "en-US"
  std::u16string_view crtLanguage;     // "English", as _wsetlocale names it
  std::u16string_view crtCountry;      // "United States"
  std::u16string_view abbrevLanguage;  // "ENU"
  char16_t decimal;
  char16_t thousand;
  unsigned column;  // this locale's column in the table of locale items
};

// A LOCALE_* item of the locale (flags masked off); false when the item is
// not one the table carries.
bool localeItem(const LocaleData& locale, LCTYPE item, std::u16string_view& value);

// Windows' buffer protocol for text results: with count 0 the size needed
// (terminator included); a smaller buffer fails with ERROR_INSUFFICIENT_BUFFER.
int deliverText(std::u16string_view text, LPWSTR buffer, int count);

// The locale with this identifier; LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT
// and 0 stand for the default one.  Null when the table lacks it.
const LocaleData* findLocale(LCID lcid);

// A Windows or POSIX locale name: "de-DE", "de_DE.UTF-8", "German",
// "German_Germany", "deu", with an optional ".codepage" suffix; the letter case
// does not matter.  Null when the table has no such locale.
const LocaleData* findLocaleByName(std::u16string_view name);

// The default locale: QELBASE_LOCALE, else LC_ALL / LC_MESSAGES / LANG
// ("de_*" means German), else en-US.
const LocaleData& defaultLocale();

}  // namespace qel::posix

#endif
