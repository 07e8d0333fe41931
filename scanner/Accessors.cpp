/* The scanner record's read accessors and the descriptions of the codes. */
#include "scanner/Symbol.h"

namespace {

struct Description {
  LONG code;
  const WCHAR* text;
};

constexpr Description kDescriptions[] = {
    {SYM_SHORT, QEL_W("SHORT number")},
    {SYM_USHORT, QEL_W("UNSIGNED SHORT number")},
    {SYM_LONG, QEL_W("LONG number")},
    {SYM_ULONG, QEL_W("UNSIGNED LONG number")},
    {SYM_DOUBLE, QEL_W("DOUBLE number")},
    {SYM_STRING, QEL_W("STRING")},
    {SYM_CHARACTER, QEL_W("CHARACTER")},
    {SYM_IDENTIFIER, QEL_W("identifier")},
    {SYM_EQ, QEL_W("==")},
    {SYM_NE, QEL_W("!=")},
    {SYM_LE, QEL_W("<=")},
    {SYM_GE, QEL_W(">=")},
    {SYM_DIV_ASSIGN, QEL_W("/=")},
    {SYM_MUL_ASSIGN, QEL_W("*=")},
    {SYM_ADD_ASSIGN, QEL_W("+=")},
    {SYM_SUB_ASSIGN, QEL_W("-=")},
    {SYM_AND_ASSIGN, QEL_W("&=")},
    {SYM_OR_ASSIGN, QEL_W("|=")},
    {SYM_XOR_ASSIGN, QEL_W("^=")},
    {SYM_MOD_ASSIGN, QEL_W("%=")},
    {SYM_TILDE_NE, QEL_W("!=")},
    {SYM_SHL_ASSIGN, QEL_W("<<=")},
    {SYM_SHR_ASSIGN, QEL_W(">>=")},
    {SYM_INCREMENT, QEL_W("++")},
    {SYM_DECREMENT, QEL_W("--")},
    {SYM_SHL, QEL_W("<<")},
    {SYM_SHR, QEL_W(">>")},
    {SYM_SCOPE, QEL_W("::")},
    {SYM_LOGICAL_AND, QEL_W("&&")},
    {SYM_LOGICAL_OR, QEL_W("||")},
    {SYM_ARROW, QEL_W("->")},
    {SYM_COMMENT_OPEN, QEL_W("/*")},
    {SYM_COMMENT_CLOSE, QEL_W("*/")},
    {SYM_LINE_COMMENT, QEL_W("//")},
    {SYM_EOL, QEL_W("EOL")},
    {SYM_EOF, QEL_W("EOF")},
    {SYM_ERROR_NUMBER, QEL_W("*error* in number")},
    {SYM_ERROR_STRING, QEL_W("*error* in string")},
    {SYM_ERROR_CHARACTER, QEL_W("*error* in character")},
};

// Shared by every caller, as the interface says: the next unknown code
// overwrites it.
WCHAR unknownCodeText[12];

const WCHAR* decimalText(LONG code) {
  WCHAR digits[11];
  int n = 0;
  ULONG magnitude = code < 0 ? 0u - ULONG(code) : ULONG(code);
  do {
    digits[n++] = WCHAR(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  WCHAR* out = unknownCodeText;
  if (code < 0) *out++ = u'-';
  while (n) *out++ = digits[--n];
  *out = 0;
  return unknownCodeText;
}

}  // namespace

extern "C" {

LONG QEL_CDECL SymGetSym(SymContext* pSym) { return pSym->nSym; }
WCHAR* QEL_CDECL SymGetAlpha(SymContext* pSym) { return pSym->pszAlpha; }
ULONG QEL_CDECL SymGetAlphaLen(SymContext* pSym) { return pSym->nAlphaLen; }
WCHAR* QEL_CDECL SymGetAlphaUnTranslated(SymContext* pSym) { return pSym->pszAlphaUnTranslated; }
ULONG QEL_CDECL SymGetAlphaLenUnTranslated(SymContext* pSym) { return pSym->nAlphaLenUnTranslated; }
ULONG QEL_CDECL SymGetColumnNo(SymContext* pSym) { return pSym->nColumnNo; }
double QEL_CDECL SymGetDouble(SymContext* pSym) { return pSym->dDouble; }
ULONG QEL_CDECL SymGetULong(SymContext* pSym) { return pSym->ulULong; }
LONG QEL_CDECL SymGetLong(SymContext* pSym) { return pSym->lLong; }
USHORT QEL_CDECL SymGetUShort(SymContext* pSym) { return pSym->usUShort; }
SHORT QEL_CDECL SymGetShort(SymContext* pSym) { return pSym->sShort; }

const WCHAR* QEL_CDECL SymGetSymDescription(LONG nSym) {
  for (const Description& d : kDescriptions)
    if (d.code == nSym) return d.text;
  return decimalText(nSym);
}

}  // extern "C"
