/* Which expressions modify which symbols. */
#include "expr/ExprInternal.h"
#include "frame/Boundary.h"
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

namespace {

using namespace qel::expr;

struct ListBuilder {
  ExprContext* ctx;
  ExprOperand* previous = nullptr;
  LONG lastAppended = -1;
  bool first = true;
};

void append(ExprContext* ctx, LONG value) { DAAddElem(ctx->hXRefList, &value); }

// Ends a symbol's list and hands its start to every instruction that
// refers to the symbol's storage.
void closeList(ExprContext* ctx, const ExprOperand* symbol) {
  append(ctx, -1);
  for (LONG i = 0, n = DAGetSize(ctx->hCode); i < n; ++i) {
    ExprOperand& op = instrAt(ctx, i)->op;
    if (op.pValue == symbol->pValue) op.nLink = symbol->nLink;
  }
}

void QEL_CDECL visitRecord(void* context, void* element) {
  auto& b = *static_cast<ListBuilder*>(context);
  const auto& record = *static_cast<const ExprXRefEntry*>(element);
  if (record.pOperand != b.previous) {
    if (!b.first) closeList(b.ctx, b.previous);
    record.pOperand->nLink = DAGetSize(b.ctx->hXRefList);
    b.lastAppended = -1;
  }
  if (record.nExpr != b.lastAppended) {
    append(b.ctx, record.nExpr);
    b.lastAppended = record.nExpr;
  }
  b.first = false;
  b.previous = record.pOperand;
}

}  // namespace

extern "C" {

DWORD QEL_STDCALL ExprXRefOn(ExprContext* pCtx) {
  pCtx->bXRef = 1;
  pCtx->nXRefSeq = 0;
  return qel::guarded(QEL_E_OUTOFMEMORY, [&] { return createXRefTables(pCtx); });
}

void QEL_STDCALL ExprXRefOff(ExprContext* pCtx) { pCtx->bXRef = 0; }

DWORD QEL_STDCALL ExprXRef(ExprContext* pCtx) {
  qel::guarded([&] {
    ListBuilder builder{pCtx};
    BTForEach(pCtx->hXRefTree, visitRecord, &builder);
    if (builder.first)
      append(pCtx, -1);
    else
      closeList(pCtx, builder.previous);
  });
  return QEL_S_OK;
}

}  // extern "C"
