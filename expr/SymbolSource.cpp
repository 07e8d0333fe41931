/* Where the compiler's symbols come from: the host's scanner or our own. */
#include "expr/ExprInternal.h"

namespace qel::expr {

LONG currentSym(ExprContext* ctx) {
  return ctx->pfnGetSym ? LONG(ctx->pfnGetSym(ctx->nCbArg1, ctx->pCbArg2)) : SymGetSym(&ctx->scanner);
}

void nextSym(ExprContext* ctx) {
  if (ctx->pfnNextSym)
    ctx->pfnNextSym(ctx->nCbArg1, ctx->pCbArg2);
  else
    SymGetNextSym(&ctx->scanner);
}

const WCHAR* symText(ExprContext* ctx) {
  if (ctx->pfnGetAlpha) return reinterpret_cast<const WCHAR*>(ctx->pfnGetAlpha(ctx->nCbArg1, ctx->pCbArg2));
  return SymGetAlpha(&ctx->scanner);
}

}  // namespace qel::expr
