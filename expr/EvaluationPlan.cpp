/* Plans of code arrays, and the room behind each array that keeps its plan. */
#include "expr/EvaluationPlan.h"

#include <algorithm>
#include <new>

#include "expr/CodeWalk.h"

namespace qel::expr {
namespace {

// An instruction whose value stays where it is from run to run (operand
// pushes, computed numbers and calls), so that a step may keep its address.
bool staysPut(const ExprInstr& in) {
  const LONG op = in.nOpcode;
  return in.op.pValue && (op == EOP_NOP || op == EOP_PAR || (op >= EOP_LOR && op <= EOP_MOD) ||
                          (op >= EOP_TO_CHAR && op <= EOP_TO_DOUBLE));
}

// The inline kind of an operator step, or Operate.
Step::Kind inlineKind(const ExprInstr& in) {
  const LONG op = in.nOpcode, type = in.op.nType;
  if (type == EXT_Double && op >= EOP_EQU && op <= EOP_GEQ)
    return Step::Kind(Step::EquDouble + (op - EOP_EQU));
  if (type == EXT_Double && op >= EOP_ADD && op <= EOP_DIV)
    return Step::Kind(Step::AddDouble + (op - EOP_ADD));
  if (type == EXT_Long && (op == EOP_LOR || op == EOP_LAND))
    return op == EOP_LOR ? Step::LOrLong : Step::LAndLong;
  if (type == EXT_Long && op == EOP_TO_DOUBLE) return Step::LongToDouble;
  return Step::Operate;
}

void makeInline(const ExprInstr* code, Step& step) {
  constexpr ULONG kSize = sizeof(ExprInstr);
  const ExprInstr &self = code[step.self / kSize], &left = code[step.left / kSize],
                  &right = code[step.right / kSize];
  const Step::Kind kind = inlineKind(self);
  if (kind == Step::Operate || !staysPut(self) || !staysPut(left) || !staysPut(right)) return;
  step.kind = kind;
  step.out = self.op.pValue;
  step.a = left.op.pValue;
  step.b = right.op.pValue;
}

bool isArithmetic(Step::Kind k) { return k >= Step::AddDouble && k <= Step::DivDouble; }

// The kinds after which the run holds the Double they gave in its register.
bool leavesDouble(Step::Kind k) {
  return isArithmetic(k) || k == Step::LongToDouble || k == Step::CallDouble ||
         (k >= Step::AddDoubleA && k <= Step::DivDoubleB);
}

// An arithmetic step whose operand the step before in the same expression
// gave takes it from the register (the left one when both do).
void takeFromPrevious(const Plan& plan, size_t firstStep, Step& step) {
  if (!isArithmetic(step.kind) || plan.steps.size() <= firstStep || !leavesDouble(plan.steps.back().kind))
    return;
  const Step& previous = plan.steps.back();
  const int op = step.kind - Step::AddDouble;
  if (step.a == previous.out) {
    step.kind = Step::Kind(Step::AddDoubleA + op);
  } else if (step.b == previous.out) {
    step.kind = Step::Kind(Step::AddDoubleB + op);
  }
}

void addShape(Plan& plan, Step& step, const std::vector<LONG>& stack, size_t length) {
  step.shapeAt = ULONG(plan.shapes.size());
  step.shapeLength = ULONG(length);
  plan.shapes.insert(plan.shapes.end(), stack.begin(), stack.begin() + ptrdiff_t(length));
}

// Plans the expression that starts at `begin`; returns where the next one
// starts.  An expression whose code does not add up gets no plan.
ULONG planExpression(const ExprContext* ctx, ULONG begin, Plan& plan, std::vector<LONG>& stack) {
  const ExprInstr* code = codeOf(ctx);
  const size_t firstStep = plan.steps.size(), firstShape = plan.shapes.size();
  ULONG depth = 0;
  stack.clear();
  const ULONG end =
      walk(ctx, begin, stack, [&](ULONG i, ULONG pops, ULONG arguments, const std::vector<LONG>& s) {
        const ExprInstr& in = code[i];
        constexpr ULONG kSize = sizeof(ExprInstr);
        Step step{Step::Operate, nullptr, i * kSize, i * kSize, i * kSize};
        if (in.nOpcode == EOP_END) {
          step.kind = Step::End;
          addShape(plan, step, s, s.size());
          plan.steps.push_back(step);
          return true;
        }
        if (pops == 0) {
          if (!hasDependencies(in)) return depth = std::max(depth, ULONG(s.size()) + 1), true;
          step.kind = Step::Dependencies;
          addShape(plan, step, s, s.size());
        } else {
          step.right = ULONG(s.back()) * kSize;
          step.left = pops == 2 ? ULONG(s[s.size() - 2]) * kSize : step.right;
          if (in.nOpcode == EOP_PAR) {
            step.kind = Step::Call;
            step.arguments = arguments;
            if (in.op.nType == EXT_Double && staysPut(in)) {
              step.kind = Step::CallDouble;
              step.out = in.op.pValue;
            }
            addShape(plan, step, s, s.size() - 1);  // the function's push is taken before the call
          } else {
            step.handler = handlerFor(in.nOpcode, in.op.nType);
            makeInline(code, step);
            takeFromPrevious(plan, firstStep, step);
          }
        }
        depth = std::max(depth, ULONG(s.size() - pops - arguments) + 1);
        plan.steps.push_back(step);
        return true;
      });
  if (end != kNoEnd) {
    plan.entries[begin] = Entry{LONG(firstStep), depth};
    return end + 1;
  }
  plan.steps.resize(firstStep);
  plan.shapes.resize(firstShape);
  ULONG next = begin;
  const auto size = ULONG(DAGetSize(ctx->hCode));
  while (next < size && code[next].nOpcode != EOP_END) ++next;
  return next + 1;
}

// Plans the code from plan.covered to the end of the array.
void extend(const ExprContext* ctx, Plan& plan) {
  const auto size = ULONG(DAGetSize(ctx->hCode));
  plan.entries.resize(size);
  std::vector<LONG> stack;
  for (ULONG begin = plan.covered; begin < size;) begin = planExpression(ctx, begin, plan, stack);
  plan.covered = size;
}

}  // namespace

bool stackBefore(const ExprContext* ctx, ULONG begin, ULONG at, std::vector<LONG>& stack) {
  stack.clear();
  bool reached = false;
  walk(ctx, begin, stack, [&](ULONG i, ULONG pops, ULONG arguments, std::vector<LONG>& s) {
    if (i != at) return true;
    s.resize(s.size() - pops - arguments);
    reached = true;
    return false;
  });
  return reached;
}

DA createCodeArray() { return daCreateWithTail(LONG(sizeof(ExprInstr)), 10, sizeof(PlanHolder)); }

void destroyCodeArray(DA code) {
  if (code) delete holderOf(code).plan;
  DADestroy(code);
}

const Plan* refreshPlan(PlanHolder& holder, const ExprContext* ctx, LONG xrefSize) {
  if (holder.users) return nullptr;  // a run further up holds the plan
  try {
    const ULONG covered = holder.plan ? holder.plan->covered : 0;
    if (!madeFrom(holder, ctx, xrefSize) || covered > ULONG(DAGetSize(ctx->hCode)) ||
        (covered && codeOf(ctx)[covered - 1].nOpcode != EOP_END)) {
      delete holder.plan;
      holder.plan = nullptr;
      holder.plan = new Plan;
      holder.pool = ctx->pPool;
      holder.xrefList = ctx->hXRefList;
      holder.xrefSize = xrefSize;
    }
    extend(ctx, *holder.plan);
    return holder.plan;
  } catch (const std::bad_alloc&) {
    delete holder.plan;
    holder.plan = nullptr;
    return nullptr;
  }
}

}  // namespace qel::expr
