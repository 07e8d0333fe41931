/* Operators that write through their left (or only) operand. */
#include "datetime/DateTime.h"
#include "expr/Evaluator.h"
#include "frame/ResultCodes.h"
#include "strings/StringObject.h"

namespace qel::expr {
namespace {

DWORD assignBits(LONG opcode, const ExprInstr& left, const ExprInstr& right) {
  auto& l = valueOf<ExprBitField>(left);
  switch (opcode) {
    case EOP_ASS: l = valueOf<ExprBitField>(right); return QEL_S_OK;
    case EOP_SHLASS:
    case EOP_SHRASS: {
      uint64_t v = bitsOf(left);
      if (DWORD rc = shiftBits(v, valueOf<LONG>(right), opcode == EOP_SHLASS)) return rc;
      setBits(left, v);
      return QEL_S_OK;
    }
    default: break;
  }
  const auto& r = valueOf<ExprBitField>(right);
  switch (opcode) {
    case EOP_ANDASS: l = {l.ulHigh & r.ulHigh, l.ulLow & r.ulLow}; return QEL_S_OK;
    case EOP_XORASS: l = {l.ulHigh ^ r.ulHigh, l.ulLow ^ r.ulLow}; return QEL_S_OK;
    case EOP_ORASS: l = {l.ulHigh | r.ulHigh, l.ulLow | r.ulLow}; return QEL_S_OK;
    default: return QEL_E_UNEXPECTED;
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

template <class T>
DWORD assignNumber(LONG opcode, const ExprInstr& left, const ExprInstr& right) {
  T& l = valueOf<T>(left);
  const T r = valueOf<T>(right);
  switch (opcode) {
    case EOP_ASS: l = r; return QEL_S_OK;
    case EOP_ADDASS: l = wrapAdd(l, r); return QEL_S_OK;
    case EOP_SUBASS: l = wrapSub(l, r); return QEL_S_OK;
    case EOP_MULASS: l = wrapMul(l, r); return QEL_S_OK;
    case EOP_DIVASS:
      if (isZero(r)) return QEL_DISP_E_DIVBYZERO;
      l = quotient(l, r);
      return QEL_S_OK;
    default: break;
  }
  if constexpr (!std::is_floating_point_v<T>) {
    switch (opcode) {
      case EOP_MODASS:
        if (r == 0) return QEL_DISP_E_DIVBYZERO;
        l = remainder(l, r);
        return QEL_S_OK;
      case EOP_SHLASS:
      case EOP_SHRASS: l = shifted(l, valueOf<LONG>(right), opcode == EOP_SHLASS); return QEL_S_OK;
      case EOP_ANDASS: l = T(l & r); return QEL_S_OK;
      case EOP_XORASS: l = T(l ^ r); return QEL_S_OK;
      case EOP_ORASS: l = T(l | r); return QEL_S_OK;
      default: break;
    }
  }
  return QEL_E_UNEXPECTED;
}

}  // namespace

DWORD runAssignment(LONG opcode, ExprInstr& self, const ExprInstr& left, const ExprInstr& right) {
  DWORD rc;
  switch (self.op.nType) {
    case EXT_BitField: rc = assignBits(opcode, left, right); break;
    case EXT_String: rc = assignString(opcode, left, right); break;
    case EXT_Date: rc = assignDate(opcode, left, right); break;
    default:
      rc = forNumeric(self.op.nType,
                      [&](auto tag) { return assignNumber<decltype(tag)>(opcode, left, right); });
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
