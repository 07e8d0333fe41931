/*
 * GetLocaleInfoW over the embedded table: every item with the value Windows
 * gives for en-US and de-DE, and Windows' buffer protocol.
 */
#include <array>
#include <string_view>

#include "locale_table.h"
#include "shield.h"

namespace qel::posix {
namespace {

struct LocaleItem {
  LCTYPE item;
  std::array<std::u16string_view, 2> values;  // en-US, de-DE
};

constexpr LocaleItem kItems[] = {
    {LOCALE_ILANGUAGE, {u"0409", u"0407"}},
    {LOCALE_SLANGUAGE, {u"English (United States)", u"Deutsch (Deutschland)"}},
    {LOCALE_SABBREVLANGNAME, {u"ENU", u"DEU"}},
    {LOCALE_SCOUNTRY, {u"United States", u"Deutschland"}},
    {LOCALE_SENGLANGUAGE, {u"English", u"German"}},
    {LOCALE_SENGCOUNTRY, {u"United States", u"Germany"}},
    {LOCALE_SNAME, {u"en-US", u"de-DE"}},
    {LOCALE_IDEFAULTANSICODEPAGE, {u"1252", u"1252"}},
    {LOCALE_SGROUPING, {u"3;0", u"3;0"}},
    {LOCALE_IDIGITS, {u"2", u"2"}},
    {LOCALE_ILZERO, {u"1", u"1"}},
    {LOCALE_INEGNUMBER, {u"1", u"1"}},
    {LOCALE_SDATE, {u"/", u"."}},
    {LOCALE_STIME, {u":", u":"}},
    {LOCALE_SSHORTDATE, {u"M/d/yyyy", u"dd.MM.yyyy"}},
    {LOCALE_SLONGDATE, {u"dddd, MMMM d, yyyy", u"dddd, d. MMMM yyyy"}},
    {LOCALE_SYEARMONTH, {u"MMMM yyyy", u"MMMM yyyy"}},
    {LOCALE_IDATE, {u"0", u"1"}},
    {LOCALE_ILDATE, {u"0", u"1"}},
    {LOCALE_ITIME, {u"0", u"1"}},
    {LOCALE_STIMEFORMAT, {u"h:mm:ss tt", u"HH:mm:ss"}},
    {LOCALE_SSHORTTIME, {u"h:mm tt", u"HH:mm"}},
    {LOCALE_S1159, {u"AM", u""}},
    {LOCALE_S2359, {u"PM", u""}},
    {LOCALE_IFIRSTDAYOFWEEK, {u"6", u"0"}},
    {LOCALE_IFIRSTWEEKOFYEAR, {u"0", u"2"}},
    {LOCALE_SDAYNAME1 + 0, {u"Monday", u"Montag"}},
    {LOCALE_SDAYNAME1 + 1, {u"Tuesday", u"Dienstag"}},
    {LOCALE_SDAYNAME1 + 2, {u"Wednesday", u"Mittwoch"}},
    {LOCALE_SDAYNAME1 + 3, {u"Thursday", u"Donnerstag"}},
    {LOCALE_SDAYNAME1 + 4, {u"Friday", u"Freitag"}},
    {LOCALE_SDAYNAME1 + 5, {u"Saturday", u"Samstag"}},
    {LOCALE_SDAYNAME1 + 6, {u"Sunday", u"Sonntag"}},
    {LOCALE_SABBREVDAYNAME1 + 0, {u"Mon", u"Mo"}},
    {LOCALE_SABBREVDAYNAME1 + 1, {u"Tue", u"Di"}},
    {LOCALE_SABBREVDAYNAME1 + 2, {u"Wed", u"Mi"}},
    {LOCALE_SABBREVDAYNAME1 + 3, {u"Thu", u"Do"}},
    {LOCALE_SABBREVDAYNAME1 + 4, {u"Fri", u"Fr"}},
    {LOCALE_SABBREVDAYNAME1 + 5, {u"Sat", u"Sa"}},
    {LOCALE_SABBREVDAYNAME1 + 6, {u"Sun", u"So"}},
    {LOCALE_SMONTHNAME1 + 0, {u"January", u"Januar"}},
    {LOCALE_SMONTHNAME1 + 1, {u"February", u"Februar"}},
    {LOCALE_SMONTHNAME1 + 2, {u"March", u"M\u00E4rz"}},
    {LOCALE_SMONTHNAME1 + 3, {u"April", u"April"}},
    {LOCALE_SMONTHNAME1 + 4, {u"May", u"Mai"}},
    {LOCALE_SMONTHNAME1 + 5, {u"June", u"Juni"}},
    {LOCALE_SMONTHNAME1 + 6, {u"July", u"Juli"}},
    {LOCALE_SMONTHNAME1 + 7, {u"August", u"August"}},
    {LOCALE_SMONTHNAME1 + 8, {u"September", u"September"}},
    {LOCALE_SMONTHNAME1 + 9, {u"October", u"Oktober"}},
    {LOCALE_SMONTHNAME1 + 10, {u"November", u"November"}},
    {LOCALE_SMONTHNAME1 + 11, {u"December", u"Dezember"}},
    {LOCALE_SABBREVMONTHNAME1 + 0, {u"Jan", u"Jan"}},
    {LOCALE_SABBREVMONTHNAME1 + 1, {u"Feb", u"Feb"}},
    {LOCALE_SABBREVMONTHNAME1 + 2, {u"Mar", u"M\u00E4r"}},
    {LOCALE_SABBREVMONTHNAME1 + 3, {u"Apr", u"Apr"}},
    {LOCALE_SABBREVMONTHNAME1 + 4, {u"May", u"Mai"}},
    {LOCALE_SABBREVMONTHNAME1 + 5, {u"Jun", u"Jun"}},
    {LOCALE_SABBREVMONTHNAME1 + 6, {u"Jul", u"Jul"}},
    {LOCALE_SABBREVMONTHNAME1 + 7, {u"Aug", u"Aug"}},
    {LOCALE_SABBREVMONTHNAME1 + 8, {u"Sep", u"Sep"}},
    {LOCALE_SABBREVMONTHNAME1 + 9, {u"Oct", u"Okt"}},
    {LOCALE_SABBREVMONTHNAME1 + 10, {u"Nov", u"Nov"}},
    {LOCALE_SABBREVMONTHNAME1 + 11, {u"Dec", u"Dez"}},
};

bool isNumericItem(LCTYPE item) {
  return item == LOCALE_ILANGUAGE || item == LOCALE_IDEFAULTANSICODEPAGE || item == LOCALE_IDIGITS ||
         item == LOCALE_ILZERO || item == LOCALE_INEGNUMBER || item == LOCALE_IDATE ||
         item == LOCALE_ILDATE || item == LOCALE_ITIME || item == LOCALE_IFIRSTDAYOFWEEK ||
         item == LOCALE_IFIRSTWEEKOFYEAR;
}

DWORD numberOf(std::u16string_view text, bool hex) {
  DWORD v = 0;
  for (char16_t c : text) v = v * (hex ? 16 : 10) + DWORD(c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10);
  return v;
}

}  // namespace

int deliverText(std::u16string_view text, LPWSTR buffer, int count) {
  const int needed = int(text.size()) + 1;
  if (count == 0) return needed;
  if (count < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  text.copy(buffer, text.size());
  buffer[text.size()] = 0;
  return needed;
}

bool localeItem(const LocaleData& locale, LCTYPE item, std::u16string_view& value) {
  item &= ~DWORD(LOCALE_NOUSEROVERRIDE | LOCALE_RETURN_NUMBER);
  if (item == LOCALE_SDECIMAL || item == LOCALE_STHOUSAND) {
    value = std::u16string_view(item == LOCALE_SDECIMAL ? &locale.decimal : &locale.thousand, 1);
    return true;
  }
  for (const LocaleItem& i : kItems)
    if (i.item == item) {
      value = i.values[locale.column];
      return true;
    }
  return false;
}

}  // namespace qel::posix

extern "C" int WINAPI GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData) {
  return qel::posix::shielded(
      [&]() -> int {
        const qel::posix::LocaleData* locale = qel::posix::findLocale(Locale);
        if (!locale || cchData < 0 || (cchData > 0 && !lpLCData)) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return 0;
        }
        std::u16string_view value;
        const LCTYPE item = LCType & ~DWORD(LOCALE_NOUSEROVERRIDE | LOCALE_RETURN_NUMBER);
        if (!qel::posix::localeItem(*locale, item, value) ||
            ((LCType & LOCALE_RETURN_NUMBER) && !qel::posix::isNumericItem(item))) {
          SetLastError(ERROR_INVALID_FLAGS);
          return 0;
        }
        if (LCType & LOCALE_RETURN_NUMBER) {
          // The number goes into the buffer as a DWORD: two wide characters.
          if (cchData == 0) return 2;
          if (cchData < 2) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
          }
          DWORD n = qel::posix::numberOf(value, item == LOCALE_ILANGUAGE);
          lpLCData[0] = WCHAR(n & 0xFFFF);
          lpLCData[1] = WCHAR(n >> 16);
          return 2;
        }
        return qel::posix::deliverText(value, lpLCData, cchData);
      },
      0);
}
