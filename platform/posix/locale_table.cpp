/* The embedded locale table and the environment's choice of default. */
#include "locale_table.h"

#include <array>
#include <cstdlib>
#include <string>

namespace qel::posix {
namespace {

constexpr std::array<LocaleData, 2> kLocales{{
    {1033, u"en-US", u"English", u"United States", u"ENU", u'.', u',', 0},
    {1031, u"de-DE", u"German", u"Germany", u"DEU", u',', u'.', 1},
}};

constexpr char16_t lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

bool sameNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// "de-DE" / "de_DE" / "de": the two-letter language and the optional region.
bool matchesTag(const LocaleData& l, std::u16string_view name) {
  std::u16string_view lang = l.name.substr(0, 2), region = l.name.substr(3);
  if (name.size() == 2) return sameNoCase(name, lang);
  return name.size() == 5 && (name[2] == u'-' || name[2] == u'_') && sameNoCase(name.substr(0, 2), lang) &&
         sameNoCase(name.substr(3), region);
}

bool matchesCrtName(const LocaleData& l, std::u16string_view name) {
  if (sameNoCase(name, l.crtLanguage) || sameNoCase(name, l.abbrevLanguage)) return true;
  size_t sep = name.find(u'_');
  return sep != std::u16string_view::npos && sameNoCase(name.substr(0, sep), l.crtLanguage) &&
         sameNoCase(name.substr(sep + 1), l.crtCountry);
}

const LocaleData& fromEnvironment() {
  auto widen = [](const char* s) {
    std::u16string out;
    for (; *s; ++s) out.push_back(static_cast<unsigned char>(*s));
    return out;
  };
  if (const char* v = std::getenv("QELBASE_LOCALE"); v && *v)
    if (const LocaleData* l = findLocaleByName(widen(v))) return *l;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (!v || !*v) continue;
    return (v[0] == 'd' && v[1] == 'e') ? kLocales[1] : kLocales[0];
  }
  return kLocales[0];
}

}  // namespace

const LocaleData* findLocale(LCID lcid) {
  if (lcid == 0 || lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT) return &defaultLocale();
  for (const LocaleData& l : kLocales)
    if (l.lcid == lcid) return &l;
  return nullptr;
}

const LocaleData* findLocaleByName(std::u16string_view name) {
  if (size_t dot = name.find(u'.'); dot != std::u16string_view::npos) name = name.substr(0, dot);
  for (const LocaleData& l : kLocales)
    if (matchesTag(l, name) || matchesCrtName(l, name)) return &l;
  return nullptr;
}

const LocaleData& defaultLocale() {
  // Read once: Windows fixes the user's locale for the life of the process.
  static const LocaleData& chosen = fromEnvironment();
  return chosen;
}

}  // namespace qel::posix

extern "C" {

LANGID WINAPI GetUserDefaultUILanguage(void) { return LANGID(qel::posix::defaultLocale().lcid); }
LANGID WINAPI GetSystemDefaultUILanguage(void) { return GetUserDefaultUILanguage(); }
LANGID WINAPI GetUserDefaultLangID(void) { return GetUserDefaultUILanguage(); }
LANGID WINAPI GetSystemDefaultLangID(void) { return GetUserDefaultUILanguage(); }
LCID WINAPI GetUserDefaultLCID(void) { return qel::posix::defaultLocale().lcid; }
LCID WINAPI GetSystemDefaultLCID(void) { return GetUserDefaultLCID(); }
LCID WINAPI GetThreadLocale(void) { return GetUserDefaultLCID(); }
}
