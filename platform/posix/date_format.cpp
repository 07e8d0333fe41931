/*
 * GetDateFormatW and GetTimeFormatW over the embedded locale table, with
 * Windows' picture syntax: d dd ddd dddd, M MM MMM MMMM, y yy yyyy, g gg,
 * h hh H HH m mm s ss t tt, text in single quotes ('' is a quote), and
 * every other character copied.
 */
#include <string>
#include <string_view>

#include "locale_table.h"
#include "shield.h"

namespace qel::posix {
namespace {

constexpr std::u16string_view kEraNames[] = {u"A.D.", u"n. Chr."};  // en-US, de-DE

bool isLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool validDate(const SYSTEMTIME& st) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1) return false;
  return st.wDay <= kDays[st.wMonth - 1] + (st.wMonth == 2 && isLeap(st.wYear) ? 1u : 0u);
}

bool validTime(const SYSTEMTIME& st) {
  return st.wHour <= 23 && st.wMinute <= 59 && st.wSecond <= 59 && st.wMilliseconds <= 999;
}

// Sunday-based day of week from the date (Windows ignores the caller's).
unsigned dayOfWeek(const SYSTEMTIME& st) {
  int y = st.wYear, m = st.wMonth;
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return unsigned((y + y / 4 - y / 100 + y / 400 + kOffsets[m - 1] + st.wDay) % 7);
}

void appendNumber(std::u16string& out, unsigned value, unsigned minDigits) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), char16_t(u'0' + value % 10));
    value /= 10;
  } while (value);
  if (digits.size() < minDigits) out.append(minDigits - digits.size(), u'0');
  out += digits;
}

std::u16string_view item(const LocaleData& l, LCTYPE type) {
  std::u16string_view v;
  localeItem(l, type, v);
  return v;
}

struct Picture {
  bool dateLetters;  // date formatter: d M y g; time formatter: h H m s t
  DWORD timeFlags;
};

// One element of the picture, or false when the letter is not one of this
// formatter's (it is then copied).
bool formatElement(std::u16string& out, char16_t letter, size_t run, const SYSTEMTIME& st,
                   const LocaleData& l, const Picture& p) {
  if (p.dateLetters) {
    switch (letter) {
      case u'd':
        if (run <= 2)
          appendNumber(out, st.wDay, unsigned(run));
        else
          out += item(l, (run == 3 ? LOCALE_SABBREVDAYNAME1 : LOCALE_SDAYNAME1) + (dayOfWeek(st) + 6) % 7);
        return true;
      case u'M':
        if (run <= 2)
          appendNumber(out, st.wMonth, unsigned(run));
        else
          out += item(l, (run == 3 ? LOCALE_SABBREVMONTHNAME1 : LOCALE_SMONTHNAME1) + st.wMonth - 1u);
        return true;
      case u'y':
        if (run <= 2)
          appendNumber(out, st.wYear % 100, unsigned(run));
        else
          appendNumber(out, st.wYear, 4);
        return true;
      case u'g': out += kEraNames[l.column]; return true;
      default: return false;
    }
  }
  const unsigned width = run >= 2 ? 2 : 1;
  switch (letter) {
    case u'h':
      if (p.timeFlags & TIME_FORCE24HOURFORMAT)
        appendNumber(out, st.wHour, width);
      else
        appendNumber(out, st.wHour % 12 == 0 ? 12 : st.wHour % 12, width);
      return true;
    case u'H': appendNumber(out, st.wHour, width); return true;
    case u'm': appendNumber(out, st.wMinute, width); return true;
    case u's': appendNumber(out, st.wSecond, width); return true;
    case u't': {
      std::u16string_view marker = item(l, st.wHour < 12 ? LOCALE_S1159 : LOCALE_S2359);
      out += run >= 2 ? marker : marker.substr(0, 1);
      return true;
    }
    default: return false;
  }
}

// Elements the flags leave out take the text before them with them.
bool dropped(char16_t letter, const Picture& p) {
  if (p.dateLetters) return false;
  if (letter == u't') return (p.timeFlags & TIME_NOTIMEMARKER) != 0;
  if (letter == u'm') return (p.timeFlags & TIME_NOMINUTESORSECONDS) != 0;
  if (letter == u's') return (p.timeFlags & (TIME_NOMINUTESORSECONDS | TIME_NOSECONDS)) != 0;
  return false;
}

std::u16string formatPicture(std::u16string_view picture, const SYSTEMTIME& st, const LocaleData& l,
                             const Picture& p) {
  std::u16string out;
  size_t afterElement = 0;  // output length after the last element
  for (size_t i = 0; i < picture.size();) {
    const char16_t c = picture[i];
    if (c == u'\'' && i + 1 < picture.size() && picture[i + 1] == u'\'') {
      out += u'\'';  // '' outside quoted text is a quote too
      i += 2;
      continue;
    }
    if (c == u'\'') {
      ++i;
      while (i < picture.size()) {
        if (picture[i] == u'\'') {
          if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
            out += u'\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += picture[i++];
      }
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    if (dropped(c, p)) {
      out.resize(afterElement);
      i += run;
      continue;
    }
    if (formatElement(out, c, run, st, l, p)) {
      afterElement = out.size();
      i += run;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

int format(LCID lcid, const SYSTEMTIME* when, LPCWSTR picture, LCTYPE defaultPicture, const Picture& p,
           LPWSTR buffer, int count) {
  const LocaleData* l = findLocale(lcid);
  if (!l || count < 0 || (count > 0 && !buffer)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SYSTEMTIME st;
  if (when)
    st = *when;
  else
    GetLocalTime(&st);
  if (!(p.dateLetters ? validDate(st) : validTime(st))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string_view pictureText = picture ? std::u16string_view(picture) : item(*l, defaultPicture);
  return deliverText(formatPicture(pictureText, st, *l, p), buffer, count);
}

}  // namespace
}  // namespace qel::posix

extern "C" {

int WINAPI GetDateFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCWSTR lpFormat,
                          LPWSTR lpDateStr, int cchDate) {
  return qel::posix::shielded(
      [&]() -> int {
        const DWORD pictureFlags = dwFlags & (DATE_SHORTDATE | DATE_LONGDATE | DATE_YEARMONTH);
        const bool onePicture = pictureFlags == 0 || pictureFlags == DATE_SHORTDATE ||
                                pictureFlags == DATE_LONGDATE || pictureFlags == DATE_YEARMONTH;
        if ((dwFlags & ~(pictureFlags | LOCALE_NOUSEROVERRIDE)) || !onePicture ||
            (lpFormat && pictureFlags)) {
          SetLastError(ERROR_INVALID_FLAGS);
          return 0;
        }
        const LCTYPE picture = pictureFlags == DATE_LONGDATE    ? LOCALE_SLONGDATE
                               : pictureFlags == DATE_YEARMONTH ? LOCALE_SYEARMONTH
                                                                : LOCALE_SSHORTDATE;
        return qel::posix::format(Locale, lpDate, lpFormat, picture, {true, 0}, lpDateStr, cchDate);
      },
      0);
}

int WINAPI GetTimeFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCWSTR lpFormat,
                          LPWSTR lpTimeStr, int cchTime) {
  return qel::posix::shielded(
      [&]() -> int {
        const DWORD known = TIME_NOMINUTESORSECONDS | TIME_NOSECONDS | TIME_NOTIMEMARKER |
                            TIME_FORCE24HOURFORMAT | LOCALE_NOUSEROVERRIDE;
        if (dwFlags & ~known) {
          SetLastError(ERROR_INVALID_FLAGS);
          return 0;
        }
        return qel::posix::format(Locale, lpTime, lpFormat, LOCALE_STIMEFORMAT, {false, dwFlags}, lpTimeStr,
                                  cchTime);
      },
      0);
}

}  // extern "C"
