/* ExprCompile: one expression's code appended to the context's code array. */
#include "expr/Compiler.h"
#include "frame/Boundary.h"
#include "frame/ResultCodes.h"

namespace {

using qel::expr::Compiler;

bool isTerminator(const ExprContext* ctx, LONG sym) {
  if (!ctx->pszTerminators) return false;
  auto ch = WCHAR(sym);
  for (const WCHAR* t = ctx->pszTerminators; *t; ++t)
    if (*t == ch) return true;
  return false;
}

DWORD compileExpression(ExprContext* ctx, Compiler& compiler, LONG requiredType, LONG* pnResultType) {
  if (DWORD rc = compiler.assignment()) return rc;
  if (requiredType != EXT_Void)
    if (DWORD rc = compiler.convertTo(requiredType)) return rc;
  LONG s = compiler.sym();
  if (s != SYM_EOL && s != SYM_EOF && !isTerminator(ctx, s)) return compiler.failAtSymbol(QEL_E_SYNTAX_ERROR);
  if (pnResultType) *pnResultType = ctx->nCurType;
  return QEL_S_OK;
}

}  // namespace

extern "C" DWORD QEL_STDCALL ExprCompile(ExprContext* pCtx, const WCHAR* pszExpr, LONG* pnStart,
                                         LONG nRequiredType, LONG* pbConstant, LONG* pnResultType) {
  return qel::guarded(QEL_E_OUTOFMEMORY, [&]() -> DWORD {
    LONG start = DAGetSize(pCtx->hCode);
    *pnStart = start;
    pCtx->nActExpr = start;
    pCtx->pLValue = nullptr;
    if (pnResultType) *pnResultType = EXT_Void;
    // A scanner whose set-up found no memory has no buffers to scan into.
    const SymContext& scanner = pCtx->scanner;
    if (!scanner.pszAlpha || !scanner.pszAlphaUpper || !scanner.pszAlphaUnTranslated || !scanner.pKeywords) {
      qel::expr::appendInstr(pCtx, EOP_END, ExprOperand{});
      return QEL_E_OUTOFMEMORY;
    }
    SymReset(&pCtx->scanner);
    SymNewLine(&pCtx->scanner, pszExpr ? pszExpr : QEL_W(""));
    if (pCtx->bPrefetch) qel::expr::nextSym(pCtx);
    pCtx->nCurType = EXT_Void;
    pCtx->pnConstant = pbConstant;
    if (pbConstant) *pbConstant = 1;

    Compiler compiler(pCtx);
    DWORD result = compileExpression(pCtx, compiler, nRequiredType, pnResultType);
    const bool ended = qel::expr::appendInstr(pCtx, EOP_END, ExprOperand{});
    return result ? result : ended ? QEL_S_OK : QEL_E_OUTOFMEMORY;
  });
}
