/*
 * Conversions of the wide printf family as the Microsoft runtime does them:
 * %s and %c are wide, %S / %hs / %hc narrow (ANSI code page), "l" is 32 bits,
 * %I64 / %I32 / %I size prefixes, %p as upper-case hex of pointer width,
 * two-digit exponents, and the decimal point of the runtime's locale.
 */
#include "printf_engine.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "crt_locale.h"

namespace qel::posix {
namespace {

struct Spec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = 0;
  int precision = -1;
  enum Size { Default, Char, Short, Long64, Ptr, Narrow, Wide } size = Default;
  char16_t conv = 0;
};

void pad(std::u16string& out, size_t n, char16_t c) { out.append(n, c); }

// Places `body` (already including any precision zeros) in the field, with
// `prefix` (sign, 0x) before any zero padding.
void emitField(std::u16string& out, const Spec& s, std::u16string_view prefix, std::u16string_view body,
               bool zeroPadAllowed) {
  size_t len = prefix.size() + body.size();
  size_t fill = size_t(s.width) > len ? size_t(s.width) - len : 0;
  if (s.left) {
    out.append(prefix);
    out.append(body);
    pad(out, fill, u' ');
  } else if (s.zero && zeroPadAllowed) {
    out.append(prefix);
    pad(out, fill, u'0');
    out.append(body);
  } else {
    pad(out, fill, u' ');
    out.append(prefix);
    out.append(body);
  }
}

std::u16string widenAscii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

void formatInteger(std::u16string& out, const Spec& s, uint64_t raw) {
  bool is64 = s.size == Spec::Long64 || (s.size == Spec::Ptr && sizeof(void*) == 8);
  bool isSigned = s.conv == u'd' || s.conv == u'i';
  bool negative = false;
  uint64_t mag = raw;
  if (isSigned) {
    int64_t v = is64                    ? int64_t(raw)
                : s.size == Spec::Short ? int16_t(raw)
                : s.size == Spec::Char  ? int8_t(raw)
                                        : int32_t(raw);
    negative = v < 0;
    mag = negative ? uint64_t(0) - uint64_t(v) : uint64_t(v);
  } else if (!is64) {
    mag = s.size == Spec::Short ? uint16_t(raw) : s.size == Spec::Char ? uint8_t(raw) : uint32_t(raw);
  }
  int base = (s.conv == u'x' || s.conv == u'X' || s.conv == u'p') ? 16 : s.conv == u'o' ? 8 : 10;
  char digits[72];
  auto res = std::to_chars(digits, digits + sizeof digits, mag, base);
  std::string d(digits, res.ptr);
  if (s.conv == u'X' || s.conv == u'p')
    for (char& c : d) c = char(std::toupper(static_cast<unsigned char>(c)));
  if (s.precision == 0 && mag == 0) d.clear();
  if (s.precision > 0 && d.size() < size_t(s.precision)) d.insert(0, size_t(s.precision) - d.size(), '0');
  if (s.conv == u'o' && s.alt && (d.empty() || d[0] != '0')) d.insert(0, 1, '0');
  std::u16string prefix;
  if (negative)
    prefix = u"-";
  else if (isSigned && s.plus)
    prefix = u"+";
  else if (isSigned && s.space)
    prefix = u" ";
  if (s.alt && mag != 0 && (s.conv == u'x' || s.conv == u'X')) prefix += s.conv == u'x' ? u"0x" : u"0X";
  emitField(out, s, prefix, widenAscii(d), s.precision < 0);
}

// Fixed, exponent or hexadecimal digits of |v| in the "C" convention.
std::string floatDigits(double v, char conv, int precision, bool alt) {
  std::vector<char> buf(size_t(precision) + 400);
  char* b = buf.data();
  char* e = b + buf.size();
  char lower = char(std::tolower(conv));
  std::string text;
  if (lower == 'f') {
    text.assign(b, std::to_chars(b, e, v, std::chars_format::fixed, precision).ptr);
  } else if (lower == 'e') {
    text.assign(b, std::to_chars(b, e, v, std::chars_format::scientific, precision).ptr);
  } else if (lower == 'a') {
    text = "0x" + std::string(b, std::to_chars(b, e, v, std::chars_format::hex, precision).ptr);
  } else {  // g: the style that the exponent calls for, trailing zeros dropped
    int p = precision == 0 ? 1 : precision;
    std::string sci(b, std::to_chars(b, e, v, std::chars_format::scientific, p - 1).ptr);
    int exp = std::atoi(sci.c_str() + sci.find('e') + 1);
    text = (exp < -4 || exp >= p)
               ? sci
               : std::string(b, std::to_chars(b, e, v, std::chars_format::fixed, p - 1 - exp).ptr);
    if (!alt && text.find('.') != std::string::npos) {
      size_t ePos = text.find('e');
      std::string mant = text.substr(0, ePos), tail = ePos == std::string::npos ? "" : text.substr(ePos);
      mant.erase(mant.find_last_not_of('0') + 1);
      if (mant.back() == '.') mant.pop_back();
      text = mant + tail;
    }
  }
  if (alt && text.find('.') == std::string::npos) {
    size_t ePos = std::min(text.find('e'), text.find('p'));
    text.insert(ePos == std::string::npos ? text.size() : ePos, 1, '.');
  }
  if (std::isupper(static_cast<unsigned char>(conv)))
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void formatFloat(std::u16string& out, const Spec& s, double v) {
  char conv = char(s.conv);
  std::u16string prefix = std::signbit(v) ? u"-" : s.plus ? u"+" : s.space ? u" " : u"";
  v = std::fabs(v);
  if (!std::isfinite(v)) {
    bool up = std::isupper(static_cast<unsigned char>(conv));
    emitField(out, s, prefix, std::isnan(v) ? (up ? u"NAN" : u"nan") : (up ? u"INF" : u"inf"), false);
    return;
  }
  int precision = s.precision < 0 ? (std::tolower(conv) == 'a' ? 13 : 6) : s.precision;
  std::u16string body = widenAscii(floatDigits(v, conv, precision, s.alt));
  for (char16_t& c : body)
    if (c == u'.') c = crtDecimalPoint();
  emitField(out, s, prefix, body, true);
}

std::u16string narrowToWide(const char* s, size_t n) {
  std::u16string w(n, u'\0');
  if (n) MultiByteToWideChar(CP_ACP, 0, s, int(n), w.data(), int(n));
  return w;
}

void formatText(std::u16string& out, const Spec& s, FormatArgs& args) {
  bool narrow =
      s.size == Spec::Narrow || (s.size == Spec::Default && s.conv == u'S') || (s.size == Spec::Short);
  if (s.conv == u'c' || s.conv == u'C') {
    uint64_t ch = args.nextInteger(false);
    std::u16string body =
        narrow ? narrowToWide(reinterpret_cast<const char*>(&ch), 1) : std::u16string(1, char16_t(ch));
    emitField(out, s, u"", body, true);
    return;
  }
  const void* p = args.nextPointer();
  std::u16string body;
  if (!p) {
    body = u"(null)";
  } else if (narrow) {
    const char* t = static_cast<const char*>(p);
    size_t n = 0;
    while (t[n] && (s.precision < 0 || n < size_t(s.precision))) ++n;
    body = narrowToWide(t, n);
  } else {
    const char16_t* t = static_cast<const char16_t*>(p);
    size_t n = 0;
    while (t[n] && (s.precision < 0 || n < size_t(s.precision))) ++n;
    body.assign(t, n);
  }
  if (s.precision >= 0 && body.size() > size_t(s.precision)) body.resize(size_t(s.precision));
  emitField(out, s, u"", body, true);
}

// Reads the size prefix at `f`; returns the characters it took.
size_t parseSize(std::u16string_view f, Spec& s) {
  auto starts = [&](std::u16string_view p) { return f.substr(0, p.size()) == p; };
  if (starts(u"I64")) return s.size = Spec::Long64, 3;
  if (starts(u"I32")) return s.size = Spec::Default, 3;
  if (starts(u"ll")) return s.size = Spec::Long64, 2;
  if (starts(u"hh")) return s.size = Spec::Char, 2;
  if (f.empty()) return 0;
  switch (f[0]) {
    case u'I':
    case u'z':
    case u't':
    case u'j': s.size = Spec::Ptr; return 1;
    case u'h': s.size = Spec::Short; return 1;
    case u'l':
    case u'w': s.size = Spec::Wide; return 1;
    case u'L': return 1;
    default: return 0;
  }
}

}  // namespace

void formatWide(std::u16string& out, std::u16string_view f, FormatArgs& args) {
  size_t i = 0;
  while (i < f.size()) {
    char16_t c = f[i++];
    if (c != u'%') {
      out.push_back(c);
      continue;
    }
    size_t start = i - 1;
    Spec s;
    for (; i < f.size(); ++i) {
      char16_t fl = f[i];
      if (fl == u'-')
        s.left = true;
      else if (fl == u'+')
        s.plus = true;
      else if (fl == u' ')
        s.space = true;
      else if (fl == u'#')
        s.alt = true;
      else if (fl == u'0')
        s.zero = true;
      else
        break;
    }
    auto number = [&](int& target) {
      if (i < f.size() && f[i] == u'*') {
        ++i;
        target = int(int32_t(args.nextInteger(false)));
        return true;
      }
      target = 0;
      while (i < f.size() && f[i] >= u'0' && f[i] <= u'9') target = target * 10 + (f[i++] - u'0');
      return false;
    };
    if (number(s.width) && s.width < 0) {
      s.left = true;
      s.width = -s.width;
    }
    if (i < f.size() && f[i] == u'.') {
      ++i;
      number(s.precision);
      if (s.precision < 0) s.precision = -1;
    }
    i += parseSize(f.substr(i), s);
    if (s.size == Spec::Wide && i < f.size() && f[i] != u's' && f[i] != u'c' && f[i] != u'S' && f[i] != u'C')
      s.size = Spec::Default;  // "l" on a number: 32 bits, as Windows' long
    if (i >= f.size()) {
      out.append(f.substr(start));
      break;
    }
    s.conv = f[i++];
    switch (s.conv) {
      case u'd':
      case u'i':
      case u'u':
      case u'o':
      case u'x':
      case u'X': {
        bool wide64 = s.size == Spec::Long64 || (s.size == Spec::Ptr && sizeof(void*) == 8);
        formatInteger(out, s, args.nextInteger(wide64));
        break;
      }
      case u'p':
        s.precision = int(2 * sizeof(void*));
        s.size = Spec::Ptr;
        formatInteger(out, s, reinterpret_cast<uintptr_t>(args.nextPointer()));
        break;
      case u'e':
      case u'E':
      case u'f':
      case u'F':
      case u'g':
      case u'G':
      case u'a':
      case u'A': formatFloat(out, s, args.nextDouble()); break;
      case u's':
      case u'S':
      case u'c':
      case u'C': formatText(out, s, args); break;
      case u'n':  // refused, as the Microsoft runtime refuses it by default
        args.nextPointer();
        break;
      case u'%': out.push_back(u'%'); break;
      default: out.append(f.substr(start, i - start)); break;
    }
  }
}

}  // namespace qel::posix
