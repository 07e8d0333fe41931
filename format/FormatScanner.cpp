/*
 * The placeholder scanner.  Constant text runs until a character that can
 * start a placeholder; a slash starts a STRING field only when blanks and
 * a second slash follow at once.
 */
#include "format/FormatScanner.h"

#include "frame/EscapeReader.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"

namespace qel::format {
namespace {

bool isRunCharacter(WCHAR c) { return c == '#' || c == '$' || c == '*'; }
bool isSign(WCHAR c) { return c == '+' || c == '-'; }

class SymbolReader {
 public:
  explicit SymbolReader(FScContext* s) : s_(s) { s_->nAlphaLen = 0; }

  LONG next() {
    bool slashOpen = false;
    for (;;) {
      WCHAR c = current();
      switch (c) {
        case 0:
          if (taken_) return finish(FSC_CONSTANT);
          if (atLineEnd()) return finish(FSC_EOL);
          take();  // a NUL inside a line of given length is text
          break;
        case ' ': take(); break;
        case '#':
        case '$':
        case '*':
        case '+':
        case '-':
          if (taken_) return finish(FSC_CONSTANT);
          slashOpen = false;
          if (LONG code = numeric()) return finish(code);
          break;  // a sign alone has become text
        case '&':
        case '^':
          if (taken_) return finish(FSC_CONSTANT);
          take();
          return finish(c == '&' ? FSC_CHAR : FSC_VARIANT);
        case '/':
          if (taken_ && !slashOpen) return finish(FSC_CONSTANT);
          take();
          if (slashOpen) return finish(FSC_STRING);
          slashOpen = true;
          break;
        case '\\':
          append(escape());
          ++s_->nColumnNo;
          slashOpen = false;
          break;
        default:
          take();
          slashOpen = false;
          break;
      }
    }
  }

 private:
  WCHAR current() const { return s_->pszLine[s_->nColumnNo]; }

  // A NUL at or past the given length ends the line, so a short length
  // never lets the scan run beyond the caller's terminator.
  bool atLineEnd() const { return s_->nLineLen < 0 || s_->nColumnNo >= ULONG(s_->nLineLen); }

  void append(WCHAR c) {
    taken_ = true;
    if (s_->nAlphaLen + 1 < s_->nAlphaMax) s_->pszAlpha[s_->nAlphaLen++] = c;
  }
  void take() {
    append(current());
    ++s_->nColumnNo;
  }
  void takeRun() {
    while (isRunCharacter(current())) take();
  }

  // The column is left on the sequence's last character.  A backslash that
  // ends the line stands for itself, so the scan stops at the terminator.
  WCHAR escape() {
    const ULONG next = s_->nColumnNo + 1;
    if (s_->pszLine[next] == 0 && (s_->nLineLen < 0 || next >= ULONG(s_->nLineLen))) return '\\';
    struct LineCursor {
      FScContext* s;
      WCHAR peek(ULONG ahead) const { return s->pszLine[s->nColumnNo + ahead]; }
      WCHAR next() const { return s->pszLine[++s->nColumnNo]; }
    } cursor{s_};
    return readEscape(cursor, EscapeDigits{4, 0x7FFFFFFF});
  }

  // On # $ * + - with nothing taken: the placeholder's code, or 0 when a
  // sign stands alone (it then stays taken as text).
  LONG numeric() {
    const bool leadingSign = isSign(current());
    if (leadingSign) take();
    LONG code = 0;
    while (isRunCharacter(current())) {
      code = FSC_INTEGER;
      takeRun();
      if (current() != ',') break;
      if (!isRunCharacter(s_->pszLine[s_->nColumnNo + 1])) return code;  // the comma is not ours
      take();
    }
    if (!code) return 0;
    if (current() == '.') {
      take();
      code = FSC_DOUBLE;
      takeRun();
    }
    if (!leadingSign && isSign(current())) take();
    return code;
  }

  LONG finish(LONG code) {
    s_->pszAlpha[s_->nAlphaLen] = 0;
    s_->nSym = code;
    return code;
  }

  FScContext* s_;
  bool taken_ = false;
};

constexpr struct {
  LONG code;
  const WCHAR* text;
} kDescriptions[] = {
    {FSC_EOL, QEL_W("EOL")},
    {FSC_CONSTANT, QEL_W("STRING/CHAR constant")},
    {FSC_CHAR, QEL_W("CHAR placeholder")},
    {FSC_STRING, QEL_W("STRING placeholder")},
    {FSC_VARIANT, QEL_W("VARIANT placeholder ")},
    {FSC_INTEGER, QEL_W("INTEGER placeholder")},
    {FSC_DOUBLE, QEL_W("DOUBLE placeholder")},
};

void setLine(FScContext* s, const WCHAR* line, LONG length) {
  s->pszLine = line;
  s->nColumnNo = 0;
  s->nLineLen = length;
}

}  // namespace
}  // namespace qel::format

using namespace qel::format;

extern "C" {

DWORD QEL_CDECL FScInit(FScContext* pFSc, ULONG nAlphaMax) {
  if (!pFSc) return QEL_E_INVALIDARG;
  // Room for the terminator even when the caller asks for none.
  auto* buffer = static_cast<WCHAR*>(qel::heapCalloc(nAlphaMax ? nAlphaMax : 1, sizeof(WCHAR)));
  if (!buffer) return QEL_E_OUTOFMEMORY;
  pFSc->pszAlpha = buffer;
  pFSc->nAlphaMax = nAlphaMax ? nAlphaMax : 1;
  pFSc->nColumnNo = 0;
  pFSc->nSym = FSC_EOL;
  pFSc->nAlphaLen = 0;
  pFSc->pszLine = nullptr;
  pFSc->nLineLen = -1;
  return QEL_S_OK;
}

void QEL_CDECL FScRelease(FScContext* pFSc) {
  if (!pFSc) return;
  qel::heapFree(pFSc->pszAlpha);
  pFSc->pszAlpha = nullptr;
  pFSc->nAlphaMax = 0;
  pFSc->nAlphaLen = 0;
}

void QEL_CDECL FScSetLine(FScContext* pFSc, const WCHAR* pszLine) {
  if (pFSc) setLine(pFSc, pszLine, -1);
}

void QEL_CDECL FScSetLineLen(FScContext* pFSc, const WCHAR* pszLine, LONG nLineLen) {
  if (pFSc) setLine(pFSc, pszLine, nLineLen);
}

LONG QEL_CDECL FScGetNextSym(FScContext* pFSc) {
  if (!pFSc) return FSC_EOL;
  if (!pFSc->pszLine || !pFSc->pszAlpha) {
    pFSc->nAlphaLen = 0;
    if (pFSc->pszAlpha) pFSc->pszAlpha[0] = 0;
    return pFSc->nSym = FSC_EOL;
  }
  return SymbolReader(pFSc).next();
}

LONG QEL_CDECL FScGetSym(FScContext* pFSc) { return pFSc ? pFSc->nSym : FSC_EOL; }
WCHAR* QEL_CDECL FScGetAlpha(FScContext* pFSc) { return pFSc ? pFSc->pszAlpha : nullptr; }
ULONG QEL_CDECL FScGetAlphaLen(FScContext* pFSc) { return pFSc ? pFSc->nAlphaLen : 0; }
ULONG QEL_CDECL FScGetColumnNo(FScContext* pFSc) { return pFSc ? pFSc->nColumnNo : 0; }

const WCHAR* QEL_CDECL FScGetSymDescription(LONG nSym) {
  for (const auto& d : kDescriptions)
    if (d.code == nSym) return d.text;
  return nullptr;
}

BOOL QEL_CDECL FScIsPlaceholder(LONG nSym) { return nSym >= FSC_DOUBLE && nSym <= FSC_CHAR; }

}  // extern "C"
