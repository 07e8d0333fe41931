/* Calls of host functions, and the host's way to take values off the stack. */
#include "datetime/DateTime.h"
#include "expr/Evaluator.h"
#include "frame/ResultCodes.h"
#include "strings/StringObject.h"

namespace qel::expr {

DWORD runCall(ExprContext* ctx, LONG self, const ExprInstr& function, LONG_PTR hostArg) {
  // The slot's address is taken before the call: the function may evaluate
  // on this context, but not compile on it.
  const ExprInstr result = *instrAt(ctx, self);
  void* slot = result.op.pValue;
  switch (result.op.nType) {
    case EXT_Char: *static_cast<WCHAR*>(slot) = callAs<WCHAR>(function, ctx, hostArg); break;
    case EXT_Long: *static_cast<LONG*>(slot) = callAs<LONG>(function, ctx, hostArg); break;
    case EXT_ULong: *static_cast<ULONG*>(slot) = callAs<ULONG>(function, ctx, hostArg); break;
    case EXT_Double: *static_cast<double*>(slot) = callAs<double>(function, ctx, hostArg); break;
    case EXT_BitField:
      *static_cast<ExprBitField*>(slot) = callAs<ExprBitField>(function, ctx, hostArg);
      break;
    case EXT_String: {
      TS text = callAs<TS>(function, ctx, hostArg);
      bool copied = text ? TSCopy(static_cast<TS>(slot), text) != nullptr
                         : TSSetStr(static_cast<TS>(slot), QEL_W("")) != nullptr;  // no string: an empty one
      if (!copied) return QEL_E_OUTOFMEMORY;
      break;
    }
    case EXT_Date: {
      TD date = callAs<TD>(function, ctx, hostArg);
      if (date) TDCopy(static_cast<TD>(slot), date);
      break;
    }
    default: callAs<void>(function, ctx, hostArg); break;
  }
  return QEL_S_OK;
}

}  // namespace qel::expr

namespace {

// The entry on top of the stack, taken off.  Trusts the caller, as the
// interface says: the stack holds what the evaluation left.
const ExprOperand& popped(ExprContext* ctx) {
  const LONG index = ctx->pStack[--ctx->nStackDepth];
  return (static_cast<const ExprInstr*>(ctx->hCode->pData) + index)->op;
}

}  // namespace

extern "C" {

void* QEL_STDCALL ExprPopArgument(ExprContext* pCtx, LONG* pnType) {
  const ExprOperand& value = popped(pCtx);
  if (pnType) *pnType = value.nType;
  return value.pValue;
}

void* QEL_STDCALL ExprPopResult(ExprContext* pCtx) { return popped(pCtx).pValue; }

}  // extern "C"
