/* FMFormatStr: a value given as text, formatted by the kind of picture. */
#include "format/NumberFormat.h"

namespace {

bool startsNumericPicture(WCHAR c) {
  return c == '#' || c == '$' || c == '*' || c == '+' || c == ',' || c == '-' || c == '.';
}

}  // namespace

extern "C" LONG QEL_CDECL FMFormatStr(const WCHAR* pszPicture, LONG nPictureLen, const WCHAR* pszValue,
                                      WCHAR* pszOutput) {
  if (!pszOutput) return 0;
  const WCHAR* text = pszValue ? pszValue : QEL_W("");
  // A picture of no characters has no first character to look at.
  const WCHAR kind = pszPicture && nPictureLen > 0 ? pszPicture[0] : 0;
  LONG n = 0;
  if (startsNumericPicture(kind)) {
    n = FMFormatDouble(DefaultDblFormat, pszPicture, nPictureLen, FMToDouble(text), pszOutput, nullptr);
  } else if (kind == '&') {
    pszOutput[0] = text[0];  // an empty value leaves only the terminator
    n = 1;
  } else if (kind == '/') {
    for (; n < nPictureLen && text[n]; ++n) pszOutput[n] = text[n];
    for (; n < nPictureLen; ++n) pszOutput[n] = ' ';
  } else if (kind == '^') {
    for (; text[n]; ++n) pszOutput[n] = text[n];
  }
  pszOutput[n] = 0;
  return n;
}
