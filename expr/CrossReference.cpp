/* Which expressions modify which symbols. */
#include "expr/ExprInternal.h"
#include "frame/ResultCodes.h"

namespace qel::expr {

DWORD recordXRef(ExprContext* ctx, ExprOperand* modified) {
  if (!ctx->bXRef || !ctx->hXRefTree) return QEL_S_OK;
  const ExprXRefEntry entry{modified, ctx->nXRefSeq, ctx->nActExpr};
  if (!BTInsert(ctx->hXRefTree, &entry)) return QEL_E_OUTOFMEMORY;
  ++ctx->nXRefSeq;
  return QEL_S_OK;
}

}  // namespace qel::expr
