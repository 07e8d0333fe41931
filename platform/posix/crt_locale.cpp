/*
 * _wsetlocale over the embedded locale table.  The process starts in the
 * "C" locale, as a Microsoft runtime program does.
 */
#include "crt_locale.h"

#include <array>
#include <atomic>
#include <string>

#include "shield.h"

namespace qel::posix {
namespace {

constexpr std::array<int, 5> kCategories{LC_COLLATE, LC_CTYPE, LC_MONETARY, LC_NUMERIC, LC_TIME};
constexpr std::array<std::u16string_view, 5> kCategoryNames{u"LC_COLLATE", u"LC_CTYPE", u"LC_MONETARY",
                                                            u"LC_NUMERIC", u"LC_TIME"};
std::array<std::atomic<const LocaleData*>, 5> current{};

int slotOf(int category) {
  for (size_t i = 0; i < kCategories.size(); ++i)
    if (kCategories[i] == category) return int(i);
  return -1;
}

std::u16string crtName(const LocaleData* l) {
  if (!l) return u"C";
  return std::u16string(l->crtLanguage) + u"_" + std::u16string(l->crtCountry) + u".1252";
}

// What _wsetlocale reports for LC_ALL: one name when all categories agree,
// else the list of every category's name.
std::u16string allName() {
  const LocaleData* first = current[0].load();
  bool same = true;
  for (auto& c : current) same = same && c.load() == first;
  if (same) return crtName(first);
  std::u16string out;
  for (size_t i = 0; i < current.size(); ++i) {
    if (i) out += u";";
    out += std::u16string(kCategoryNames[i]) + u"=" + crtName(current[i].load());
  }
  return out;
}

}  // namespace

const LocaleData* crtLocale(int category) {
  int slot = slotOf(category);
  return slot < 0 ? nullptr : current[size_t(slot)].load();
}

char16_t crtDecimalPoint() {
  const LocaleData* l = crtLocale(LC_NUMERIC);
  return l ? l->decimal : u'.';
}

}  // namespace qel::posix

using qel::posix::LocaleData;

extern "C" WCHAR* __cdecl _wsetlocale(int category, const WCHAR* locale) {
  return qel::posix::shielded(
      [&]() -> WCHAR* {
        thread_local std::u16string answer;
        int slot = qel::posix::slotOf(category);
        if (category != LC_ALL && slot < 0) return nullptr;
        try {
          if (locale) {
            std::u16string_view name(locale);
            const LocaleData* chosen = nullptr;
            if (name.empty())
              chosen = &qel::posix::defaultLocale();
            else if (name != u"C" && name != u"POSIX" && !(chosen = qel::posix::findLocaleByName(name)))
              return nullptr;
            if (category == LC_ALL)
              for (auto& c : qel::posix::current) c.store(chosen);
            else
              qel::posix::current[size_t(slot)].store(chosen);
          }
          answer = category == LC_ALL ? qel::posix::allName()
                                      : qel::posix::crtName(qel::posix::current[size_t(slot)].load());
          return answer.data();
        } catch (...) {
          return nullptr;
        }
      },
      nullptr);
}
