/*
 * Following the value stack of compiled code: which instructions each
 * operator takes, as the evaluator's plan and the code listing both need.
 */
#ifndef QELBASE_EXPR_CODE_WALK_H
#define QELBASE_EXPR_CODE_WALK_H

#include <vector>

#include "expr/Expression.h"
#include "expr/InstructionSet.h"

namespace qel::expr {

constexpr ULONG kNoEnd = ~ULONG(0);

inline bool isOperator(LONG opcode) { return opcode > EOP_NOP && opcode <= EOP_LAST; }

// An operand push whose variable has earlier expressions modifying it.
inline bool hasDependencies(const ExprInstr& in) {
  return in.nOpcode == EOP_NOP && in.op.nLink != -1 && in.op.nStorage != EXS_Function;
}

inline const ExprInstr* codeOf(const ExprContext* ctx) {
  return static_cast<const ExprInstr*>(DAGetElem(ctx->hCode, 0));
}

// The arguments a call takes as its function declares them, or kNoEnd when
// what the call finds is no function.
inline ULONG declaredArguments(const ExprContext* ctx, const ExprInstr& function) {
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

}  // namespace qel::expr

#endif
