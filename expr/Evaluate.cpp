/*
 * ExprEvaluate: the loop over the code array.  The stack holds instruction
 * indexes; every value lives in an instruction's slot or in host storage.
 */
#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <vector>

#include "expr/CodeWalk.h"
#include "expr/EvaluationPlan.h"
#include "expr/InstructionSet.h"
#include "frame/Boundary.h"
#include "frame/DoubleRounding.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"
#include "strings/StringObject.h"

namespace {

using namespace qel::expr;

constexpr LONG kStackStep = 20;

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

DWORD noValue(ExprContext*, ExprInstr&, const ExprInstr&, const ExprInstr&) { return QEL_S_OK; }
DWORD notImplemented(ExprContext*, ExprInstr&, const ExprInstr&, const ExprInstr&) { return QEL_E_NOTIMPL; }
DWORD anyAssignment(ExprContext*, ExprInstr& self, const ExprInstr& left, const ExprInstr& right) {
  return runAssignment(self.nOpcode, self, left, right);
}
DWORD anyIncrement(ExprContext*, ExprInstr& self, const ExprInstr&, const ExprInstr& operand) {
  return runIncrement(self.nOpcode, self, operand);
}
DWORD anyUnary(ExprContext*, ExprInstr& self, const ExprInstr&, const ExprInstr& operand) {
  return runUnary(self.nOpcode, self, operand);
}
DWORD index(ExprContext* ctx, ExprInstr& self, const ExprInstr& base, const ExprInstr& position) {
  return runIndex(ctx, self, base, valueOf<LONG>(position));
}

// The operator families by opcode.  ORDER EOP
Handler familyHandler(LONG opcode, LONG type) {
  if (opcode < EOP_TO_CHAR && !hasValueType(type))
    return noValue;  // the operands go, the instruction stands for them
  if (opcode <= EOP_ORASS) return anyAssignment;
  if (opcode <= EOP_MOD) return binaryHandler(opcode, type);
  switch (opcode) {
    case EOP_PREINC:
    case EOP_PREDEC:
    case EOP_POSTINC:
    case EOP_POSTDEC: return anyIncrement;
    case EOP_IDX: return index;
    case EOP_DRF:
    case EOP_ADR:
    case EOP_DFA:
    case EOP_IFA: return notImplemented;
    default: return opcode >= EOP_TO_CHAR ? conversionHandler(opcode, type) : anyUnary;
  }
}

// Types 0 to 8, and one column for every other value.
constexpr LONG kTypeColumns = EXT_Unknown + 2;

// Room for `depth` entries, made in the steps a push makes it.
bool reserve(ExprContext* ctx, LONG depth) {
  while (ctx->nStackSize < depth) {
    if (ctx->nStackSize > INT32_MAX - kStackStep) return false;
    auto* stack = static_cast<LONG*>(
        qel::heapRealloc(ctx->pStack, size_t(ctx->nStackSize + kStackStep) * sizeof(LONG)));
    if (!stack) return false;
    ctx->pStack = stack;
    ctx->nStackSize += kStackStep;
  }
  return true;
}

DWORD push(ExprContext* ctx, LONG index) {
  if (!reserve(ctx, ctx->nStackDepth + 1)) return QEL_E_OUTOFMEMORY;
  ctx->pStack[ctx->nStackDepth++] = index;
  return QEL_S_OK;
}

// Runs the code from instruction i with the stack as it stands: to the
// expression's END with `toEnd`, else to the end of the array.
DWORD runFrom(ExprContext* ctx, ULONG i, bool toEnd, LONG start, LONG_PTR hostArg) {
  const auto size = ULONG(DAGetSize(ctx->hCode));
  ExprInstr* const code = static_cast<ExprInstr*>(DAGetElem(ctx->hCode, 0));
  for (; i < size; ++i) {
    ExprInstr& self = code[i];
    const LONG opcode = self.nOpcode;
    if (opcode == EOP_END) {
      if (toEnd) return QEL_S_OK;
    } else if (opcode == EOP_NOP || opcode < 0 || opcode > EOP_LAST) {
      if (hasDependencies(self))
        if (DWORD rc = runDependencies(ctx, self.op.nLink, start, hostArg)) return rc;
    } else {
      const int pops = opcodeInfo(opcode)->pops;
      if (ctx->nStackDepth < pops) return QEL_E_UNEXPECTED;  // damaged code or a host that popped too much
      const ExprInstr& right = code[ctx->pStack[--ctx->nStackDepth]];
      const ExprInstr& left = pops == 2 ? code[ctx->pStack[--ctx->nStackDepth]] : right;
      DWORD rc = opcode == EOP_PAR ? runCall(ctx, LONG(i), right, hostArg)
                                   : handlerFor(opcode, self.op.nType)(ctx, self, left, right);
      if (rc) return rc;
    }
    if (DWORD rc = push(ctx, LONG(i))) return rc;
  }
  return QEL_S_OK;
}

// Writes a step's stack above the run's base.
void writeStack(ExprContext* ctx, LONG base, const Plan& plan, const Step& step) {
  const LONG* entry = plan.shapes.data() + step.shapeAt;
  const ULONG length = step.shapeLength;  // read once: the stores below may alias it
  LONG* to = ctx->pStack + base;
  for (ULONG n = 0; n < length; ++n) to[n] = entry[n];  // mostly one or two: no call
  ctx->nStackDepth = base + LONG(length);
}

// An operator failed: the stack is what stood below its operands.
DWORD failed(ExprContext* ctx, LONG base, LONG start, ULONG at, DWORD rc) {
  std::vector<LONG> stack;
  if (stackBefore(ctx, ULONG(start), at, stack)) {
    std::copy(stack.begin(), stack.end(), ctx->pStack + base);
    ctx->nStackDepth = base + LONG(stack.size());
  }
  return rc;
}

// A run by the plan: only the operators execute; the stack is written out
// where a host function or the caller can see it.
DWORD runPlanned(ExprContext* ctx, const Plan& plan, LONG start, LONG_PTR hostArg) {
  const Entry& entry = plan.entries[size_t(start)];
  const LONG base = ctx->nStackDepth;
  if (!reserve(ctx, base + LONG(entry.depth))) return runFrom(ctx, ULONG(start), true, start, hostArg);
  BYTE* const code = static_cast<BYTE*>(ctx->hCode->pData);
  auto at = [code](ULONG offset) -> ExprInstr& { return *reinterpret_cast<ExprInstr*>(code + offset); };
  auto index = [](ULONG offset) { return offset / ULONG(sizeof(ExprInstr)); };
  auto d = [](const void* p) { return *static_cast<const double*>(p); };
  auto l = [](const void* p) { return *static_cast<const LONG*>(p); };
  // Each comparison step names its operator, so that no second dispatch follows.
  auto compare = [d](LONG opcode, const Step* step) {
    *static_cast<LONG*>(step->out) = compared(opcode, d(step->a), d(step->b));
  };
  // Each step jumps straight to the next one's code: one indirect jump per
  // kind predicts far better than the single one of a switch.  ORDER Step::Kind
  static constexpr void* kNext[] = {
      &&Operate,    &&Call,       &&Dependencies, &&End,        &&AddDouble,  &&SubDouble,  &&MulDouble,
      &&DivDouble,  &&EquDouble,  &&NeqDouble,    &&LtDouble,   &&GtDouble,   &&LeqDouble,  &&GeqDouble,
      &&LOrLong,    &&LAndLong,   &&LongToDouble, &&CallDouble, &&AddDoubleA, &&SubDoubleA, &&MulDoubleA,
      &&DivDoubleA, &&AddDoubleB, &&SubDoubleB,   &&MulDoubleB, &&DivDoubleB};
  static_assert(std::size(kNext) == Step::DivDoubleB + 1);
  // The Double the last arithmetic step, conversion or call gave.  The
  // steps that call out set it too (to 0, as no step after them reads it),
  // so that it is never live across a call and stays in a register.
  double previous = 0;
  auto give = [&previous](const Step* step, double value) {
    *static_cast<double*>(step->out) = value;
    previous = qel::asDouble(value);  // what the slot holds, also where registers are wider
  };
  const Step* step = &plan.steps[size_t(entry.step)];
#define NEXT_STEP goto* kNext[(++step)->kind]
  goto* kNext[step->kind];

Operate:
  if (DWORD rc = step->handler(ctx, at(step->self), at(step->left), at(step->right))) [[unlikely]]
    return failed(ctx, base, start, index(step->self), rc);
  previous = 0;
  NEXT_STEP;
AddDouble:
  give(step, d(step->a) + d(step->b));
  NEXT_STEP;
SubDouble:
  give(step, d(step->a) - d(step->b));
  NEXT_STEP;
MulDouble:
  give(step, d(step->a) * d(step->b));
  NEXT_STEP;
DivDouble:
  if (isZero(d(step->b))) [[unlikely]]
    return failed(ctx, base, start, index(step->self), QEL_DISP_E_DIVBYZERO);
  give(step, d(step->a) / d(step->b));
  NEXT_STEP;
AddDoubleA:
  give(step, previous + d(step->b));
  NEXT_STEP;
SubDoubleA:
  give(step, previous - d(step->b));
  NEXT_STEP;
MulDoubleA:
  give(step, previous * d(step->b));
  NEXT_STEP;
DivDoubleA:
  if (isZero(d(step->b))) [[unlikely]]
    return failed(ctx, base, start, index(step->self), QEL_DISP_E_DIVBYZERO);
  give(step, previous / d(step->b));
  NEXT_STEP;
AddDoubleB:
  give(step, d(step->a) + previous);
  NEXT_STEP;
SubDoubleB:
  give(step, d(step->a) - previous);
  NEXT_STEP;
MulDoubleB:
  give(step, d(step->a) * previous);
  NEXT_STEP;
DivDoubleB:
  if (isZero(previous)) [[unlikely]]
    return failed(ctx, base, start, index(step->self), QEL_DISP_E_DIVBYZERO);
  give(step, d(step->a) / previous);
  NEXT_STEP;
EquDouble:
  compare(EOP_EQU, step);
  NEXT_STEP;
NeqDouble:
  compare(EOP_NEQ, step);
  NEXT_STEP;
LtDouble:
  compare(EOP_LT, step);
  NEXT_STEP;
GtDouble:
  compare(EOP_GT, step);
  NEXT_STEP;
LeqDouble:
  compare(EOP_LEQ, step);
  NEXT_STEP;
GeqDouble:
  compare(EOP_GEQ, step);
  NEXT_STEP;
LOrLong:
  *static_cast<LONG*>(step->out) = isTrue(l(step->a)) || isTrue(l(step->b));
  NEXT_STEP;
LAndLong:
  *static_cast<LONG*>(step->out) = isTrue(l(step->a)) && isTrue(l(step->b));
  NEXT_STEP;
LongToDouble:
  give(step, double(l(step->b)));
  NEXT_STEP;
Call:
CallDouble:
  writeStack(ctx, base, plan, *step);
  if (PlanHold hold(ctx); step->kind == Step::CallDouble)
    give(step, callAs<double>(at(step->right), ctx, hostArg));
  else if (DWORD rc = runCall(ctx, LONG(index(step->self)), at(step->right), hostArg))
    return rc;
  else
    previous = 0;
  if (ctx->nStackDepth != base + LONG(step->shapeLength - step->arguments)) {
    // The host took more or fewer arguments than declared: the rest
    // runs on the stack as it now stands.
    if (DWORD rc = push(ctx, LONG(index(step->self)))) return rc;
    return runFrom(ctx, index(step->self) + 1, true, start, hostArg);
  }
  NEXT_STEP;
Dependencies:
  writeStack(ctx, base, plan, *step);
  if (PlanHold hold(ctx); DWORD rc = runDependencies(ctx, at(step->self).op.nLink, start, hostArg)) return rc;
  previous = 0;
  NEXT_STEP;
End:
  writeStack(ctx, base, plan, *step);
  return QEL_S_OK;
#undef NEXT_STEP
}

DWORD evaluate(ExprContext* ctx, LONG start, LONG_PTR hostArg) {
  if (start >= 0) [[likely]] {
    const Plan* plan = currentPlan(ctx);
    if (plan && ULONG(start) < plan->covered && plan->entries[size_t(start)].step >= 0) [[likely]]
      return runPlanned(ctx, *plan, start, hostArg);
  } else if (start == EXPR_NONE) {
    return QEL_S_OK;
  }
  return runFrom(ctx, start == -1 ? 0 : ULONG(start), start != -1, start, hostArg);
}

}  // namespace

namespace qel::expr {

Handler handlerFor(LONG opcode, LONG type) {
  static const auto table = [] {
    std::array<Handler, size_t(EOP_LAST + 1) * kTypeColumns> all{};
    for (LONG op = EOP_ASS; op <= EOP_LAST; ++op)
      for (LONG t = 0; t < kTypeColumns; ++t) all[size_t(op * kTypeColumns + t)] = familyHandler(op, t);
    return all;
  }();
  if (opcode < 0 || opcode > EOP_LAST) return nullptr;
  const LONG column = type >= 0 && type < kTypeColumns - 1 ? type : kTypeColumns - 1;
  return table[size_t(opcode * kTypeColumns + column)];
}

}  // namespace qel::expr

extern "C" DWORD QEL_STDCALL ExprEvaluate(ExprContext* pCtx, LONG nStart, LONG_PTR nHostArg) {
  return qel::guarded(QEL_E_UNEXPECTED, [&] { return evaluate(pCtx, nStart, nHostArg); });
}
