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
 * A plan lives with its code array; it is brought up to date when the array
 * grew (compiles only append), and made anew when the array shrank or the
 * cross-references changed.
 */
#ifndef QELBASE_EXPR_EVALUATION_PLAN_H
#define QELBASE_EXPR_EVALUATION_PLAN_H

#include <cstdint>
#include <vector>

#include "containers/DynArrayTail.h"
#include "expr/Evaluator.h"

namespace qel::expr {

struct Step {
  enum Kind : std::uint8_t {
    Operate,
    Call,
    Dependencies,
    End,
    // The commonest numeric operators run in the loop itself, on the
    // addresses of their values.  ORDER EOP for the Double operators.
    AddDouble,
    SubDouble,
    MulDouble,
    DivDouble,
    EquDouble,
    NeqDouble,
    LtDouble,
    GtDouble,
    LeqDouble,
    GeqDouble,
    LOrLong,
    LAndLong,
    LongToDouble,
    CallDouble,  // a Call whose function gives a Double
    // The arithmetic again, with the left (A) or the right (B) operand the
    // Double the step before gave: the run still holds it in a register, so
    // a formula's chain does not wait for its slot to be read back (the
    // slot is written all the same).  ORDER EOP, as above.
    AddDoubleA,
    SubDoubleA,
    MulDoubleA,
    DivDoubleA,
    AddDoubleB,
    SubDoubleB,
    MulDoubleB,
    DivDoubleB,
  };
  Kind kind;
  Handler handler;  // Operate
  // The instructions by their byte offsets in the code array (which a run
  // adds to the array's address as it stands); Call: right is the function.
  ULONG self, left, right;
  ULONG shapeAt = 0, shapeLength = 0;  // Call, Dependencies, End: the stack above the run's base
  ULONG arguments = 0;                 // Call: the entries the host takes
  void* out = nullptr;                 // the inline kinds: the result's and the operands' values
  const void *a = nullptr, *b = nullptr;
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

// Where a code array keeps its plan: room behind the array's record that
// the host never sees, so a run finds its plan with a few loads.
struct PlanHolder {
  Plan* plan;
  const BYTE* pool;  // the value pool the inline steps' addresses point into
  DA xrefList;       // the cross-references the plan was made with
  LONG xrefSize;
  int users;  // runs using the plan (a host function may evaluate again)
};

// A code array with room for its plan, and its end with the plan's.
DA createCodeArray();
void destroyCodeArray(DA code);

inline PlanHolder& holderOf(DA code) { return *static_cast<PlanHolder*>(daTail(code)); }

// Whether the holder's plan was made from the context's pool and
// cross-references as they stand.
inline bool madeFrom(const PlanHolder& holder, const ExprContext* ctx, LONG xrefSize) {
  return holder.plan && holder.pool == ctx->pPool && holder.xrefList == ctx->hXRefList &&
         holder.xrefSize == xrefSize;
}

// Brings the holder's plan up to date, or gives null when it cannot.
const Plan* refreshPlan(PlanHolder& holder, const ExprContext* ctx, LONG xrefSize);

// The plan of a context's code, brought up to date; null when none can be
// had (no memory, or a run further up holds it), and the run then goes
// without.
inline const Plan* currentPlan(const ExprContext* ctx) {
  if (!ctx->hCode) return nullptr;
  PlanHolder& holder = holderOf(ctx->hCode);
  const LONG xrefSize = ctx->hXRefList ? ctx->hXRefList->nCount : 0;
  if (madeFrom(holder, ctx, xrefSize) && holder.plan->covered == ULONG(ctx->hCode->nCount)) [[likely]]
    return holder.plan;
  return refreshPlan(holder, ctx, xrefSize);
}

// Holds a context's plan while a run hands control away (to a host
// function, or to the runs a variable depends on), so that a run from
// there cannot remake the plan under it.
class PlanHold {
 public:
  explicit PlanHold(const ExprContext* ctx) : users_(holderOf(ctx->hCode).users) { ++users_; }
  ~PlanHold() { --users_; }
  PlanHold(const PlanHold&) = delete;
  PlanHold& operator=(const PlanHold&) = delete;

 private:
  int& users_;
};

}  // namespace qel::expr

#endif
