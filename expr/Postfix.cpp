/* Operands and what may follow them: calls, indexes, member access, ++/--. */
#include "expr/Compiler.h"
#include "frame/ResultCodes.h"

namespace qel::expr {

DWORD Compiler::primary(ExprOperand*& found) {
  found = nullptr;
  LONG s = sym();
  switch (s) {
    case SYM_ERROR_CHARACTER: return failAtSymbol(QEL_E_ILLEGAL_CHARACTER);
    case SYM_ERROR_STRING: return failAtSymbol(QEL_E_ILLEGAL_STRING);
    case SYM_ERROR_NUMBER: return failAtSymbol(QEL_E_ILLEGAL_NUMBER);
    case SYM_IDENTIFIER: {
      if (ctx_->pnConstant) *ctx_->pnConstant = 0;
      if (DWORD rc = findSymbol(found)) return rc;
      setCandidate(found);
      ctx_->nCurType = found->nType;
      break;
    }
    case SYM_CHARACTER: ctx_->nCurType = EXT_Char; break;
    case SYM_STRING: ctx_->nCurType = EXT_String; break;
    case SYM_DOUBLE: ctx_->nCurType = EXT_Double; break;
    case SYM_ULONG:
    case SYM_USHORT: ctx_->nCurType = EXT_ULong; break;
    case SYM_LONG:
    case SYM_SHORT: ctx_->nCurType = EXT_Long; break;
    case '(': {
      advance();
      if (DWORD rc = assignment()) return rc;
      if (sym() != ')') return failAtSymbol(QEL_E_RPAREN_REQUIRED);
      advance();
      return QEL_S_OK;
    }
    default: return failAtSymbol(QEL_E_OPERAND_REQUIRED);
  }
  DWORD rc;
  if (found) {
    rc = pushSymbol(*found);
  } else {
    dropCandidate();
    rc = pushLiteral(s, ctx_->nCurType);
  }
  if (!rc) advance();
  return rc;
}

DWORD Compiler::postfix() {
  ExprOperand* found;
  if (DWORD rc = primary(found)) return rc;
  if (found && found->nStorage == EXS_Function)
    if (DWORD rc = call(*found)) return rc;
  for (;;) {
    DWORD rc = QEL_S_OK;
    switch (sym()) {
      case '[': rc = index(); break;
      case SYM_INCREMENT:
      case SYM_DECREMENT: {
        ExprOperand* target = ctx_->pLValue;
        if (!isLValue(target)) return QEL_E_LVALUE_REQUIRED;
        rc = emit(sym() == SYM_INCREMENT ? EOP_POSTINC : EOP_POSTDEC, 0, nullptr);
        if (rc) return rc;
        advance();
        rc = recordXRef(ctx_, target);
        dropCandidate();
        break;
      }
      case '.': rc = member(EOP_DFA); break;
      case SYM_ARROW: rc = member(EOP_IFA); break;
      case '(': return failAtSymbol(QEL_E_FUNCTION_REQUIRED);
      default: return QEL_S_OK;
    }
    if (rc) return rc;
  }
}

// The code of a call: the arguments in order, the function's push, EOP_PAR.
DWORD Compiler::call(const ExprOperand& function) {
  if (sym() != '(') return failAtSymbol(QEL_E_LPAREN_REQUIRED);
  ExprInstr push = *instrAt(ctx_, codeSize() - 1);
  DADeleteLast(ctx_->hCode);
  advance();
  if (DWORD rc = arguments(function)) return rc;
  if (sym() != ')') return failAtSymbol(QEL_E_RPAREN_REQUIRED);
  if (!appendInstr(ctx_, push.nOpcode, push.op)) return QEL_E_OUTOFMEMORY;
  ctx_->nCurType = function.nType;
  if (DWORD rc = emit(EOP_PAR, 0, nullptr)) return rc;
  advance();
  dropCandidate();
  return QEL_S_OK;
}

DWORD Compiler::arguments(const ExprOperand& function) {
  LONG next = function.nLink;
  auto declared = [&] { return *static_cast<const LONG*>(DAGetElem(ctx_->hArgTypes, next)); };
  for (LONG s = sym(); s != ')' && s != SYM_EOL && s != SYM_EOF; s = sym()) {
    LONG type = declared();
    if (type == EXT_Void) return failAtSymbol(QEL_DISP_E_BADPARAMCOUNT);
    ctx_->nCurType = EXT_Void;
    if (DWORD rc = assignment()) return rc;
    if (type != EXT_Unknown)
      if (DWORD rc = convertTo(type)) return rc;
    ++next;
    if (sym() == ')') break;
    if (sym() != ',') return failAtSymbol(QEL_E_COMMA_REQUIRED);
    advance();
  }
  return declared() == EXT_Void ? QEL_S_OK : failAtSymbol(QEL_DISP_E_BADPARAMCOUNT);
}

DWORD Compiler::index() {
  LONG baseType = ctx_->nCurType;
  ExprOperand* base = ctx_->pLValue;
  advance();
  if (DWORD rc = assignment()) return rc;
  if (sym() != ']') return failAtSymbol(QEL_E_RBRACKET_REQUIRED);
  if (DWORD rc = convertTo(EXT_Long)) return rc;
  ctx_->nCurType = baseType;
  DWORD rc;
  if (baseType == EXT_String) {
    rc = emit(EOP_IDX, EXT_Char, nullptr);
    dropCandidate();
  } else if (baseType == EXT_BitField) {
    // A single bit cannot be stored, so the bit read is no l-value.
    rc = emit(EOP_IDX, EXT_Long, nullptr);
    dropCandidate();
  } else {
    rc = emit(EOP_IDX, baseType, base ? base : &kNotLValue);
    setCandidate(base);
  }
  if (!rc) advance();
  return rc;
}

DWORD Compiler::member(LONG opcode) {
  advance();
  if (sym() != SYM_IDENTIFIER) return failAtSymbol(QEL_E_IDENTIFIER_REQUIRED);
  ExprOperand* field;
  if (DWORD rc = findSymbol(field)) return rc;
  if (DWORD rc = pushSymbol(*field)) return rc;
  if (DWORD rc = emit(opcode, 0, nullptr)) return rc;
  advance();
  return QEL_S_OK;
}

}  // namespace qel::expr
