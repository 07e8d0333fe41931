/*
 * A listing of compiled code, for the tool's `eval --code` and the tests:
 * each instruction with the instructions whose values it takes and the
 * defined name it pushes or writes, and literals as text.
 */
#ifndef QELBASE_EXPR_CODE_LISTING_H
#define QELBASE_EXPR_CODE_LISTING_H

#include <string>
#include <vector>

#include "expr/Expression.h"

namespace qel::expr {

struct ListedInstruction {
  LONG index;
  const ExprInstr* instr;
  const WCHAR* symbol;         // the defined name whose value it pushes or writes, or null
  std::vector<LONG> operands;  // an operator's: the instructions whose values it takes
};

// The instructions of the expression that starts at `start`, to its END.
std::vector<ListedInstruction> listExpression(ExprContext* ctx, LONG start);

// A value as a listing shows it, in UTF-8: 'c', -3, 7u, 2.5, 0x0000000100000000,
// "text", 2024-01-31T09:30:00.000.
std::string valueText(LONG type, const void* value);

}  // namespace qel::expr

#endif
