/* The instructions the compiler appends, and the values they carry. */
#include "containers/DynArraySlot.h"
#include "expr/Compiler.h"
#include "frame/ResultCodes.h"

namespace qel::expr {

DWORD appendInstr(ExprContext* ctx, const ExprInstr& instr) {
  if (void* slot = daAppendSlot(ctx->hCode)) {
    *static_cast<ExprInstr*>(slot) = instr;
    return QEL_S_OK;
  }
  freeValue(instr.op);
  return QEL_E_OUTOFMEMORY;
}

DWORD Compiler::failAtSymbol(DWORD code) {
  ctx_->pszErrText = symText(ctx_);
  return code;
}

DWORD Compiler::emit(LONG opcode, LONG resultType, const ExprOperand* operand) {
  ExprInstr instr{opcode, {}};
  if (operand) {
    instr.op = *operand;
  } else if (DWORD rc = newValue(ctx_, resultType ? resultType : ctx_->nCurType, nullptr, instr.op)) {
    return rc;
  }
  if (resultType) {
    instr.op.nType = ctx_->nCurType;
    ctx_->nCurType = resultType;
  }
  return appendInstr(ctx_, instr);
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
  ++symbol.nUses;
  return appendInstr(ctx_, {EOP_NOP, symbol});
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
  ExprInstr instr{EOP_NOP, {}};
  if (DWORD rc = newValue(ctx_, type, initial, instr.op)) return rc;
  return appendInstr(ctx_, instr);
}

}  // namespace qel::expr
