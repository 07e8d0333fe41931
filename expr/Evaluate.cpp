/*
 * ExprEvaluate: the loop over the code array.  The stack holds instruction
 * indexes; every value lives in an instruction's slot or in host storage.
 */
#include <cstdint>

#include "expr/Evaluator.h"
#include "expr/InstructionSet.h"
#include "frame/Boundary.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"
#include "strings/StringObject.h"

namespace {

using namespace qel::expr;

constexpr LONG kStackStep = 20;

DWORD push(ExprContext* ctx, LONG index) {
  if (ctx->nStackDepth >= ctx->nStackSize) {
    if (ctx->nStackSize > INT32_MAX - kStackStep) return QEL_E_OUTOFMEMORY;
    auto* stack = static_cast<LONG*>(
        qel::heapRealloc(ctx->pStack, size_t(ctx->nStackSize + kStackStep) * sizeof(LONG)));
    if (!stack) return QEL_E_OUTOFMEMORY;
    ctx->pStack = stack;
    ctx->nStackSize += kStackStep;
  }
  ctx->pStack[ctx->nStackDepth++] = index;
  return QEL_S_OK;
}

bool inPool(const ExprContext* ctx, const void* p) {
  auto at = reinterpret_cast<uintptr_t>(p), base = reinterpret_cast<uintptr_t>(ctx->pPool);
  return at >= base && at < base + ctx->nPoolUsed;
}

DWORD runIndex(const ExprContext* ctx, ExprInstr& self, const ExprInstr& base, LONG index) {
  size_t elementSize = 0;
  switch (self.op.nType) {
    case EXT_Char: elementSize = sizeof(WCHAR); break;
    case EXT_Long:
    case EXT_ULong: elementSize = sizeof(LONG); break;
    case EXT_Double: elementSize = sizeof(double); break;
    case EXT_BitField:
      if (index < 0 || index > 63) return QEL_DISP_E_BADINDEX;
      valueOf<LONG>(self) = LONG((bitsOf(base) >> index) & 1);
      return QEL_S_OK;
    case EXT_String: {
      auto* text = static_cast<TS>(base.op.pValue);
      if (index < 0 || index >= TSGetLen(text)) return QEL_DISP_E_BADINDEX;
      valueOf<WCHAR>(self) = TSGetChar(text, index);
      return QEL_S_OK;
    }
    default: return QEL_E_UNEXPECTED;
  }
  // A value the code made itself has no array behind it.
  if (index != 0 && inPool(ctx, base.op.pValue)) return QEL_DISP_E_BADINDEX;
  self.op.pValue = static_cast<BYTE*>(base.op.pValue) + ptrdiff_t(index) * ptrdiff_t(elementSize);
  return QEL_S_OK;
}

DWORD evaluate(ExprContext* ctx, LONG start, LONG_PTR hostArg);

// Brings a variable up to date: every earlier expression that modifies it
// runs first, its result dropped.
DWORD runDependencies(ExprContext* ctx, LONG link, LONG start, LONG_PTR hostArg) {
  for (LONG e = link; e < DAGetSize(ctx->hXRefList); ++e) {
    LONG modifier = *static_cast<const LONG*>(DAGetElem(ctx->hXRefList, e));
    if (modifier == -1 || modifier >= start) return QEL_S_OK;
    LONG depth = ctx->nStackDepth;
    if (DWORD rc = evaluate(ctx, modifier, hostArg)) return rc;
    ctx->nStackDepth = depth;
  }
  return QEL_S_OK;
}

bool hasValueType(LONG type) { return type >= EXT_Char && type <= EXT_Date; }

DWORD evaluate(ExprContext* ctx, LONG start, LONG_PTR hostArg) {
  if (start == EXPR_NONE) return QEL_S_OK;
  const auto size = ULONG(DAGetSize(ctx->hCode));
  ExprInstr* const code = static_cast<ExprInstr*>(DAGetElem(ctx->hCode, 0));
  for (ULONG i = start == -1 ? 0 : ULONG(start); i < size; ++i) {
    ExprInstr& self = code[i];
    const LONG opcode = self.nOpcode;
    if (opcode == EOP_END) {
      if (start != -1) return QEL_S_OK;
    } else if (opcode == EOP_NOP || opcode < 0 || opcode > EOP_LAST) {
      if (opcode == EOP_NOP && self.op.nLink != -1 && self.op.nStorage != EXS_Function)
        if (DWORD rc = runDependencies(ctx, self.op.nLink, start, hostArg)) return rc;
    } else {
      const int pops = opcodeInfo(opcode)->pops;
      if (ctx->nStackDepth < pops) return QEL_E_UNEXPECTED;  // damaged code or a host that popped too much
      const ExprInstr& right = code[ctx->pStack[--ctx->nStackDepth]];
      const ExprInstr& left = pops == 2 ? code[ctx->pStack[--ctx->nStackDepth]] : right;
      DWORD rc = QEL_S_OK;
      if (opcode == EOP_PAR) {
        rc = runCall(ctx, LONG(i), right, hostArg);
      } else if (opcode < EOP_TO_CHAR && !hasValueType(self.op.nType)) {
        // no value to work on: the operands go, the instruction stands for them
      } else if (opcode <= EOP_ORASS) {
        rc = runAssignment(opcode, self, left, right);
      } else if (opcode <= EOP_MOD) {
        rc = runBinary(opcode, self, left, right);
      } else if (opcode == EOP_PREINC || opcode == EOP_PREDEC || opcode == EOP_POSTINC ||
                 opcode == EOP_POSTDEC) {
        rc = runIncrement(opcode, self, right);
      } else if (opcode == EOP_IDX) {
        rc = runIndex(ctx, self, left, valueOf<LONG>(right));
      } else if (opcode == EOP_DRF || opcode == EOP_ADR || opcode == EOP_DFA || opcode == EOP_IFA) {
        rc = QEL_E_NOTIMPL;
      } else if (opcode >= EOP_TO_CHAR) {
        rc = runConversion(opcode, self, right);
      } else {
        rc = runUnary(opcode, self, right);
      }
      if (rc) return rc;
    }
    if (DWORD rc = push(ctx, LONG(i))) return rc;
  }
  return QEL_S_OK;
}

}  // namespace

extern "C" DWORD QEL_STDCALL ExprEvaluate(ExprContext* pCtx, LONG nStart, LONG_PTR nHostArg) {
  return qel::guarded(QEL_E_UNEXPECTED, [&] { return evaluate(pCtx, nStart, nHostArg); });
}
