/*
 * What the parts of the expression engine share and the host does not see:
 * the non-l-value marker, type names, the value pool, owned values, symbol
 * reading through the host's callbacks or the embedded scanner.
 */
#ifndef QELBASE_EXPR_INTERNAL_H
#define QELBASE_EXPR_INTERNAL_H

#include "expr/Expression.h"

namespace qel::expr {

// The candidate after anything that cannot be assigned to.
extern const ExprOperand kNotLValue;

inline bool isLValue(const ExprOperand* candidate) {
  return candidate && candidate->nStorage != EXS_Constant;
}

// "EXT_Long" and so on; types beyond the table read as "EXT_Unknown".
const WCHAR* typeName(LONG type);

// A new value of `type`: a pool slot, or an owned string, date/time or
// bit-field object, initialised from `initial` (a WCHAR* text for strings,
// a SYSTEMTIME* for dates, the value's bytes otherwise) or zeroed.
DWORD newValue(ExprContext* ctx, LONG type, const void* initial, ExprOperand& value);
// Frees what newValue created outside the pool.
void freeValue(const ExprOperand& value);

// Appends an instruction with a copy of `operand`; null when the code array
// cannot grow.  The slot is written in place: an instruction put together
// field by field on the stack and then copied whole is read back before its
// stores have landed, which stalls the processor on every append.
ExprInstr* appendInstr(ExprContext* ctx, LONG opcode, const ExprOperand& operand);
// Appends an instruction whose operand is a new value (see newValue), made
// in its slot; nothing is appended when either fails.
DWORD appendValue(ExprContext* ctx, LONG opcode, LONG type, const void* initial, ExprInstr*& added);
// The instruction at an index within the code array's capacity, else null
// (as DAGetElem has it, without the call: the evaluator asks often).
inline ExprInstr* instrAt(ExprContext* ctx, LONG index) {
  const DA code = ctx->hCode;
  return code && index >= 0 && index < code->nAlloc ? static_cast<ExprInstr*>(code->pData) + index : nullptr;
}

// Symbols come from the host's callbacks where given, else from the
// embedded scanner; literal values from the external scanner context
// when there is one.
LONG currentSym(ExprContext* ctx);
void nextSym(ExprContext* ctx);
const WCHAR* symText(ExprContext* ctx);
inline SymContext* valueScanner(ExprContext* ctx) {
  return ctx->pCbArg2 ? static_cast<SymContext*>(ctx->pCbArg2) : &ctx->scanner;
}

// Replaces the cross-reference tree and list with new empty ones.
DWORD createXRefTables(ExprContext* ctx);

// Notes that the expression being compiled modifies `modified`, while
// recording is on.
DWORD recordXRef(ExprContext* ctx, ExprOperand* modified);

}  // namespace qel::expr

#endif
