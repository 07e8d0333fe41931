/* UTF-16 to and from the ANSI code page (1252) and UTF-8. */
#include <qel/win32.h>

#include <array>

namespace {

// Windows-1252 0x80..0x9F; the five undefined bytes map to the C1 controls,
// as Windows maps them.
constexpr std::array<char16_t, 32> kHigh1252{0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t from1252(unsigned char b) { return (b >= 0x80 && b < 0xA0) ? kHigh1252[b - 0x80] : char16_t(b); }

// The 1252 byte for a UTF-16 unit, or -1 when the code page lacks it.
int to1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (size_t i = 0; i < kHigh1252.size(); ++i)
    if (kHigh1252[i] == c) return int(0x80 + i);
  return -1;
}

bool isAnsi(UINT cp) { return cp == CP_ACP || cp == CP_OEMCP || cp == 1252; }

// Where a conversion's code units go: all are counted, those that fit are
// stored, so that converting needs no memory of its own.
template <class Ch>
struct Sink {
  Ch* out;
  size_t capacity;
  size_t count = 0;
  void push_back(unsigned unit) {
    if (count < capacity) out[count] = Ch(unit);
    ++count;
  }
};

// Decodes UTF-8 into UTF-16; false on an invalid sequence when strict.
bool decodeUtf8(const unsigned char* s, size_t n, Sink<WCHAR>& out, bool strict) {
  for (size_t i = 0; i < n;) {
    unsigned c = s[i];
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    bool ok = len != 0 && i + len <= n;
    for (size_t k = 1; ok && k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok) {
      if (strict) return false;
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(char16_t(cp));
    }
    i += len;
  }
  return true;
}

void encodeUtf8(const char16_t* s, size_t n, Sink<char>& out) {
  for (size_t i = 0; i < n; ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(char(cp));
    } else if (cp < 0x800) {
      out.push_back(char(0xC0 | (cp >> 6)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(char(0xE0 | (cp >> 12)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (cp >> 18)));
      out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    }
  }
}

// Windows' size protocol for a finished conversion: a zero-sized buffer asks
// for the size, a short one fails with ERROR_INSUFFICIENT_BUFFER.
template <class Ch>
int deliver(const Sink<Ch>& text, int outSize) {
  if (outSize == 0) return int(text.count);
  if (text.count > size_t(outSize)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  return int(text.count);
}

template <class Ch>
size_t inputLength(const Ch* s, int n) {
  if (n >= 0) return size_t(n);
  size_t len = 0;
  while (s[len]) ++len;
  return len + 1;  // -1 converts the terminator too
}

}  // namespace

extern "C" {

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr) ||
      (!isAnsi(CodePage) && CodePage != CP_UTF8)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const auto* in = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
  size_t n = inputLength(lpMultiByteStr, cbMultiByte);
  Sink<WCHAR> text{lpWideCharStr, size_t(cchWideChar)};
  if (CodePage == CP_UTF8) {
    if (!decodeUtf8(in, n, text, dwFlags & MB_ERR_INVALID_CHARS)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
  } else {
    for (size_t i = 0; i < n; ++i) text.push_back(from1252(in[i]));
  }
  return deliver(text, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD /*dwFlags*/, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
  bool utf8 = CodePage == CP_UTF8;
  if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr) ||
      (!isAnsi(CodePage) && !utf8) || (utf8 && (lpDefaultChar || lpUsedDefaultChar))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = inputLength(lpWideCharStr, cchWideChar);
  Sink<char> text{lpMultiByteStr, size_t(cbMultiByte)};
  if (utf8) {
    encodeUtf8(lpWideCharStr, n, text);
  } else {
    char fallback = lpDefaultChar ? *lpDefaultChar : '?';
    bool used = false;
    for (size_t i = 0; i < n; ++i) {
      int b = to1252(lpWideCharStr[i]);
      if (b < 0) {
        used = true;
        b = static_cast<unsigned char>(fallback);
        // A surrogate pair is one character and takes one default character.
        if (lpWideCharStr[i] >= 0xD800 && lpWideCharStr[i] <= 0xDBFF && i + 1 < n &&
            lpWideCharStr[i + 1] >= 0xDC00 && lpWideCharStr[i + 1] <= 0xDFFF)
          ++i;
      }
      text.push_back(static_cast<unsigned char>(b));
    }
    if (lpUsedDefaultChar) *lpUsedDefaultChar = used;
  }
  return deliver(text, cbMultiByte);
}
}
