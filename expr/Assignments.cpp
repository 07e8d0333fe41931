/* Operators that write through their left (or only) operand. */
#include "datetime/DateTime.h"
#include "expr/Evaluator.h"
#include "frame/ResultCodes.h"
#include "strings/StringObject.h"

namespace qel::expr {
namespace {

// The operator of each compound assignment, by its opcode.
LONG operatorOf(LONG opcode) {
  switch (opcode) {
    case EOP_MULASS: return EOP_MUL;
    case EOP_DIVASS: return EOP_DIV;
    case EOP_MODASS: return EOP_MOD;
    case EOP_ADDASS: return EOP_ADD;
    case EOP_SUBASS: return EOP_SUB;
    case EOP_SHLASS: return EOP_SHL;
    case EOP_SHRASS: return EOP_SHR;
    case EOP_ANDASS: return EOP_AND;
    case EOP_XORASS: return EOP_XOR;
    default: return EOP_OR;
  }
}

DWORD assignString(LONG opcode, const ExprInstr& left, const ExprInstr& right) {
  auto* l = static_cast<TS>(left.op.pValue);
  auto* r = static_cast<TS>(right.op.pValue);
  if (opcode == EOP_ASS) return TSCopy(l, r) ? QEL_S_OK : QEL_E_OUTOFMEMORY;
  if (opcode == EOP_ADDASS) return TSAdd(l, r) ? QEL_S_OK : QEL_E_OUTOFMEMORY;
  return QEL_E_UNEXPECTED;
}

DWORD assignDate(LONG opcode, const ExprInstr& left, const ExprInstr& right) {
  auto* l = static_cast<TD>(left.op.pValue);
  auto* r = static_cast<TD>(right.op.pValue);
  if (opcode == EOP_ASS) {
    TDCopy(l, r);
    return QEL_S_OK;
  }
  if (opcode == EOP_ADDASS) return TDAdd(l, r) ? QEL_S_OK : QEL_E_OUTOFMEMORY;
  return QEL_E_UNEXPECTED;
}

// Numbers and bit fields: a copy, or the operator applied in place.
template <class T>
DWORD assignValue(LONG opcode, const ExprInstr& left, const ExprInstr& right) {
  T& l = valueOf<T>(left);
  if (opcode == EOP_ASS) {
    l = valueOf<T>(right);
    return QEL_S_OK;
  }
  if constexpr (std::is_same_v<T, ExprBitField>)
    return combineBits(operatorOf(opcode), left, right, l);
  else
    return combine(operatorOf(opcode), left, right, l);
}

}  // namespace

DWORD runAssignment(LONG opcode, ExprInstr& self, const ExprInstr& left, const ExprInstr& right) {
  DWORD rc;
  switch (self.op.nType) {
    case EXT_BitField: rc = assignValue<ExprBitField>(opcode, left, right); break;
    case EXT_String: rc = assignString(opcode, left, right); break;
    case EXT_Date: rc = assignDate(opcode, left, right); break;
    default:
      rc = forNumeric(self.op.nType,
                      [&](auto tag) { return assignValue<decltype(tag)>(opcode, left, right); });
  }
  if (rc == QEL_S_OK) self.op.pValue = left.op.pValue;  // an indexed element stays that element
  return rc;
}

DWORD runIncrement(LONG opcode, ExprInstr& self, const ExprInstr& operand) {
  return forNumeric(self.op.nType, [&](auto tag) -> DWORD {
    using T = decltype(tag);
    T& v = valueOf<T>(operand);
    const T step = T(1);
    if (opcode == EOP_POSTINC || opcode == EOP_POSTDEC) valueOf<T>(self) = v;
    v = opcode == EOP_PREINC || opcode == EOP_POSTINC ? wrapAdd(v, step) : wrapSub(v, step);
    if (opcode == EOP_PREINC || opcode == EOP_PREDEC) self.op.pValue = operand.op.pValue;
    return QEL_S_OK;
  });
}

}  // namespace qel::expr
