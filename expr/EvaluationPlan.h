/*
 * A plan of the code array, made once and kept beside it: the stack of
 * instruction indexes that an expression builds is the same on every run,
 * so which instructions each operator takes, and what stands on the stack
 * at each call and at the end, are known before the run.  A run with a plan
 * executes only the operators, each through the handler of its opcode and
 * type, and writes the stack out where a host or the caller can see it: at
 * each host call, before the earlier expressions a variable depends on run,
 * when an operator fails, and at the end.
 *
 * Plans live in a small cache of each thread, keyed by the context; a plan
 * is brought up to date when the code array grew (compiles only append),
 * and made anew when the cross-references changed or any context was set
 * up or released since.
 */
#ifndef QELBASE_EXPR_EVALUATION_PLAN_H
#define QELBASE_EXPR_EVALUATION_PLAN_H

#include <cstdint>
#include <vector>

#include "expr/Evaluator.h"

namespace qel::expr {

struct Step {
  enum Kind : std::uint8_t { Operate, Call, Dependencies, End };
  Kind kind;
  Handler handler;  // Operate
  // The instructions by their byte offsets in the code array (which a run
  // adds to the array's address as it stands); Call: right is the function.
  ULONG self, left, right;
  ULONG shapeAt = 0, shapeLength = 0;  // Call, Dependencies, End: the stack above the run's base
  ULONG arguments = 0;                 // Call: the entries the host takes
};

struct Entry {
  LONG step = -1;   // where a run from this instruction starts; -1: no plan for it
  ULONG depth = 0;  // the most entries the expression has on the stack
};

struct Plan {
  std::vector<Step> steps;
  std::vector<LONG> shapes;
  std::vector<Entry> entries;  // by instruction index
  ULONG covered = 0;           // instructions planned so far
};

// The stack of the expression that starts at `begin` just before
// instruction `at` runs, without that instruction's operands; false when
// the code does not say (damaged code).
bool stackBefore(const ExprContext* ctx, ULONG begin, ULONG at, std::vector<LONG>& stack);

// The plan of a context's code for the length of a run; null when none can
// be had (no memory), and the run then goes without.
class PlanUse {
 public:
  explicit PlanUse(ExprContext* ctx);
  ~PlanUse();
  PlanUse(const PlanUse&) = delete;
  PlanUse& operator=(const PlanUse&) = delete;
  const Plan* get() const { return plan_; }

 private:
  const Plan* plan_ = nullptr;
  int* users_ = nullptr;
};

// Every plan of every thread is made anew before its next use; this
// thread's plan of `ctx` goes at once.
void forgetPlans(const ExprContext* ctx);

}  // namespace qel::expr

#endif
