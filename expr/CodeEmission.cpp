/* The instructions the compiler appends, and the values they carry. */
#include "containers/DynArraySlot.h"
#include "expr/Compiler.h"
#include "frame/ResultCodes.h"

namespace qel::expr {

namespace {

ExprInstr* appendSlot(ExprContext* ctx, LONG opcode) {
  auto* added = static_cast<ExprInstr*>(daAppendSlot(ctx->hCode));
  if (added) {
    added->nOpcode = opcode;
    added->op = ExprOperand{};
  }
  return added;
}

}  // namespace

ExprInstr* appendInstr(ExprContext* ctx, LONG opcode, const ExprOperand& operand) {
  const ExprOperand copy = operand;  // it may lie in the array that grows
  ExprInstr* added = appendSlot(ctx, opcode);
  if (added) added->op = copy;
  return added;
}

DWORD appendValue(ExprContext* ctx, LONG opcode, LONG type, const void* initial, ExprInstr*& added) {
  added = appendSlot(ctx, opcode);
  if (!added) return QEL_E_OUTOFMEMORY;
  if (DWORD rc = newValue(ctx, type, initial, added->op)) {
    DADeleteLast(ctx->hCode);
    return rc;
  }
  return QEL_S_OK;
}

DWORD Compiler::failAtSymbol(DWORD code) {
  ctx_->pszErrText = symText(ctx_);
  return code;
}

DWORD Compiler::emit(LONG opcode, LONG resultType, const ExprOperand* operand) {
  ExprInstr* instr = nullptr;
  if (operand) {
    if (!(instr = appendInstr(ctx_, opcode, *operand))) return QEL_E_OUTOFMEMORY;
  } else if (DWORD rc = appendValue(ctx_, opcode, resultType ? resultType : ctx_->nCurType, nullptr, instr)) {
    return rc;
  }
  if (resultType) {
    instr->op.nType = ctx_->nCurType;
    ctx_->nCurType = resultType;
  }
  return QEL_S_OK;
}

DWORD Compiler::emitConversion(LONG opcode, LONG position, LONG from, LONG to) {
  ExprInstr instr{opcode, {}};
  if (DWORD rc = newValue(ctx_, to, nullptr, instr.op)) return rc;
  instr.op.nType = from;
  if (!DAInsertElem(ctx_->hCode, position, &instr)) {
    freeValue(instr.op);
    return QEL_E_OUTOFMEMORY;
  }
  ctx_->nCurType = to;
  return QEL_S_OK;
}

DWORD Compiler::findSymbol(ExprOperand*& symbol) {
  symbol = ExprLookUp(ctx_, symText(ctx_));
  return symbol ? QEL_S_OK : QEL_DISP_E_UNKNOWNNAME;
}

DWORD Compiler::pushSymbol(ExprOperand& symbol) {
  ExprInstr* instr = appendInstr(ctx_, EOP_NOP, symbol);
  if (!instr) return QEL_E_OUTOFMEMORY;
  instr->op.nUses = ++symbol.nUses;  // the push carries the count with itself
  return QEL_S_OK;
}

DWORD Compiler::pushLiteral(LONG sym, LONG type) {
  SymContext* scanner = valueScanner(ctx_);
  const WCHAR* text = SymGetAlpha(scanner);
  union {
    WCHAR ch;
    LONG l;
    ULONG ul;
    double d;
  } number{};
  const void* initial = &number;
  switch (sym) {
    case SYM_CHARACTER: number.ch = text[0]; break;
    case SYM_STRING: initial = text; break;
    case SYM_DOUBLE: number.d = SymGetDouble(scanner); break;
    case SYM_ULONG: number.ul = SymGetULong(scanner); break;
    case SYM_USHORT: number.ul = SymGetUShort(scanner); break;
    case SYM_LONG: number.l = SymGetLong(scanner); break;
    default: number.l = SymGetShort(scanner); break;
  }
  ExprInstr* added;
  return appendValue(ctx_, EOP_NOP, type, initial, added);
}

}  // namespace qel::expr
