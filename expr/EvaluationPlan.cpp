/* Plans of code arrays, and the cache of each thread that keeps them. */
#include "expr/EvaluationPlan.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <new>

#include "expr/InstructionSet.h"

namespace qel::expr {
namespace {

constexpr ULONG kNoEnd = ~ULONG(0);

bool isOperator(LONG opcode) { return opcode > EOP_NOP && opcode <= EOP_LAST; }

bool hasDependencies(const ExprInstr& in) {
  return in.nOpcode == EOP_NOP && in.op.nLink != -1 && in.op.nStorage != EXS_Function;
}

const ExprInstr* codeOf(const ExprContext* ctx) {
  return static_cast<const ExprInstr*>(DAGetElem(ctx->hCode, 0));
}

// The arguments a call takes as its function declares them, or kNoEnd when
// what the call finds is no function.
ULONG declaredArguments(const ExprContext* ctx, const ExprInstr& function) {
  if (function.nOpcode != EOP_NOP || function.op.nStorage != EXS_Function) return kNoEnd;
  ULONG n = 0;
  for (LONG i = function.op.nLink; i >= 0 && i < DAGetSize(ctx->hArgTypes); ++i, ++n)
    if (*static_cast<const LONG*>(DAGetElem(ctx->hArgTypes, i)) == EXT_Void) return n;
  return kNoEnd;
}

// Follows the stack of the expression from instruction `i` on:
// visit(i, pops, arguments, stack) sees each instruction before its
// operands leave the stack (an operand push with 0 pops) and may stop the
// walk.  Returns the index of the expression's END, or kNoEnd when the
// walk stopped or the code does not add up.
template <class Visit>
ULONG walk(const ExprContext* ctx, ULONG i, std::vector<LONG>& stack, Visit&& visit) {
  const ExprInstr* code = codeOf(ctx);
  const auto size = ULONG(DAGetSize(ctx->hCode));
  for (; i < size; ++i) {
    const ExprInstr& in = code[i];
    ULONG pops = 0, arguments = 0;
    if (isOperator(in.nOpcode)) {
      pops = ULONG(opcodeInfo(in.nOpcode)->pops);
      if (stack.size() < pops) return kNoEnd;
      if (in.nOpcode == EOP_PAR) arguments = declaredArguments(ctx, code[stack.back()]);
      if (arguments == kNoEnd || stack.size() < pops + arguments) return kNoEnd;
    }
    if (!visit(i, pops, arguments, stack)) return kNoEnd;
    if (in.nOpcode == EOP_END) return i;
    stack.resize(stack.size() - pops - arguments);
    stack.push_back(LONG(i));
  }
  return kNoEnd;
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
            addShape(plan, step, s, s.size() - 1);  // the function's push is taken before the call
          } else {
            step.handler = handlerFor(in.nOpcode, in.op.nType);
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

std::atomic<unsigned> epoch{1};

// What a plan was made from: when any of it changes, the plan is out of
// date.  Trivially destructible, so that the run's lookup is a plain access
// of thread-local memory; the owner below frees the plans.
struct CacheEntry {
  const ExprContext* ctx;
  unsigned epoch;
  DA xrefList;
  LONG xrefSize;
  int users;  // runs using the plan (a host function may evaluate again)
  Plan* plan;
};

constexpr size_t kCacheSlots = 8;
thread_local CacheEntry cache[kCacheSlots];

// Frees the thread's plans when the thread ends; set up by the first plan.
struct CacheOwner {
  ~CacheOwner() {
    for (CacheEntry& entry : cache) delete entry.plan;
  }
};

void setPlan(CacheEntry& entry, Plan* plan) {
  thread_local CacheOwner owner;
  (void)owner;
  delete entry.plan;
  entry.plan = plan;
}

CacheEntry& slotOf(const ExprContext* ctx) {
  return cache[(reinterpret_cast<std::uintptr_t>(ctx) >> 4) % kCacheSlots];
}

// Brings the slot's plan up to date for `ctx`, or gives null when it cannot.
[[gnu::noinline]] Plan* refresh(CacheEntry& entry, ExprContext* ctx, bool same, unsigned now, LONG xrefSize) {
  if (entry.users) return nullptr;  // another run of this thread holds the slot
  try {
    const ULONG covered = same ? entry.plan->covered : 0;
    if (!same || covered > ULONG(DAGetSize(ctx->hCode)) ||
        (covered && codeOf(ctx)[covered - 1].nOpcode != EOP_END)) {
      entry.ctx = nullptr;
      setPlan(entry, new Plan);
      entry.ctx = ctx;
      entry.epoch = now;
      entry.xrefList = ctx->hXRefList;
      entry.xrefSize = xrefSize;
    }
    extend(ctx, *entry.plan);
    return entry.plan;
  } catch (const std::bad_alloc&) {
    setPlan(entry, nullptr);
    entry.ctx = nullptr;
    return nullptr;
  }
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

PlanUse::PlanUse(ExprContext* ctx) {
  CacheEntry& entry = slotOf(ctx);
  const unsigned now = epoch.load(std::memory_order_relaxed);
  const LONG xrefSize = ctx->hXRefList ? ctx->hXRefList->nCount : 0;
  const bool same = entry.ctx == ctx && entry.plan && entry.epoch == now &&
                    entry.xrefList == ctx->hXRefList && entry.xrefSize == xrefSize;
  if (same && entry.plan->covered == ULONG(ctx->hCode->nCount)) [[likely]]
    plan_ = entry.plan;
  else if (!(plan_ = refresh(entry, ctx, same, now, xrefSize)))
    return;
  users_ = &entry.users;
  ++*users_;
}

PlanUse::~PlanUse() {
  if (users_) --*users_;
}

void forgetPlans(const ExprContext* ctx) {
  epoch.fetch_add(1, std::memory_order_relaxed);
  CacheEntry& entry = slotOf(ctx);
  if (entry.ctx == ctx && !entry.users) {
    setPlan(entry, nullptr);
    entry.ctx = nullptr;
  }
}

}  // namespace qel::expr
