/* Where a failed compile stopped, and what was compiled last. */
#include "expr/ExprInternal.h"

extern "C" {

ULONG QEL_STDCALL ExprGetColNo(ExprContext* pCtx) { return SymGetColumnNo(qel::expr::valueScanner(pCtx)); }

ULONG QEL_STDCALL ExprGetErrLen(ExprContext* pCtx) { return SymGetAlphaLen(qel::expr::valueScanner(pCtx)); }

LONG QEL_STDCALL ExprGetActExpr(ExprContext* pCtx) { return pCtx->nActExpr; }

}  // extern "C"
