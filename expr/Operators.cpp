/* Operators that compute a new value into their own result slot. */
#include <array>
#include <cstdint>
#include <utility>

#include "datetime/DateTime.h"
#include "expr/Evaluator.h"
#include "frame/ResultCodes.h"
#include "strings/StringObject.h"

namespace qel::expr {
namespace {

LONG fromThreeWay(LONG opcode, LONG r) {
  switch (opcode) {
    case EOP_EQU: return r == 0;
    case EOP_NEQ: return r != 0;
    case EOP_LT: return r == -1;
    case EOP_GT: return r == 1;
    case EOP_LEQ: return r != 1;
    default: return r != -1;
  }
}

// Word by word, unsigned: an order of pairs, not of 64-bit numbers.
LONG comparedBits(LONG opcode, const ExprBitField& l, const ExprBitField& r) {
  switch (opcode) {
    case EOP_EQU: return l.ulHigh == r.ulHigh && l.ulLow == r.ulLow;
    case EOP_NEQ: return l.ulHigh != r.ulHigh || l.ulLow != r.ulLow;
    case EOP_LT: return l.ulHigh <= r.ulHigh && l.ulLow < r.ulLow;
    case EOP_GT: return l.ulHigh >= r.ulHigh && l.ulLow > r.ulLow;
    case EOP_LEQ: return l.ulHigh <= r.ulHigh && l.ulLow <= r.ulLow;
    default: return l.ulHigh >= r.ulHigh && l.ulLow >= r.ulLow;
  }
}

DWORD bitFieldBinary(LONG opcode, const ExprInstr& self, const ExprInstr& left, const ExprInstr& right) {
  const auto& l = valueOf<ExprBitField>(left);
  const auto& r = valueOf<ExprBitField>(right);
  switch (opcode) {
    case EOP_LOR: valueOf<LONG>(self) = (l.ulHigh | l.ulLow | r.ulHigh | r.ulLow) != 0; return QEL_S_OK;
    case EOP_LAND: valueOf<LONG>(self) = l.ulHigh && l.ulLow && r.ulHigh && r.ulLow; return QEL_S_OK;
    default: break;
  }
  if (opcode >= EOP_EQU && opcode <= EOP_GEQ) {
    valueOf<LONG>(self) = comparedBits(opcode, l, r);
    return QEL_S_OK;
  }
  return combineBits(opcode, left, right, valueOf<ExprBitField>(self));
}

DWORD stringBinary(LONG opcode, const ExprInstr& self, const ExprInstr& left, const ExprInstr& right) {
  auto* l = static_cast<TS>(left.op.pValue);
  auto* r = static_cast<TS>(right.op.pValue);
  if (opcode == EOP_ADD) {
    auto* result = static_cast<TS>(self.op.pValue);
    return TSCopy(result, l) && TSAdd(result, r) ? QEL_S_OK : QEL_E_OUTOFMEMORY;
  }
  if (opcode < EOP_EQU || opcode > EOP_GEQ) return QEL_E_UNEXPECTED;
  valueOf<LONG>(self) = fromThreeWay(opcode, TSCmp(l, r));
  return QEL_S_OK;
}

DWORD dateBinary(LONG opcode, const ExprInstr& self, const ExprInstr& left, const ExprInstr& right) {
  auto* l = static_cast<TD>(left.op.pValue);
  auto* r = static_cast<TD>(right.op.pValue);
  if (opcode == EOP_ADD || opcode == EOP_SUB) {
    TD result = TDCopy(static_cast<TD>(self.op.pValue), l);
    result = opcode == EOP_ADD ? TDAdd(result, r) : TDSubst(result, r);
    return result ? QEL_S_OK : QEL_E_OUTOFMEMORY;
  }
  if (opcode < EOP_EQU || opcode > EOP_GEQ) return QEL_E_UNEXPECTED;
  valueOf<LONG>(self) = fromThreeWay(opcode, TDCmp(l, r));
  return QEL_S_OK;
}

// The handler of one numeric operator on one type: the opcode is a
// constant, so what is left is the operation itself.
template <class T, LONG Op>
DWORD numericOp(ExprContext*, ExprInstr& self, const ExprInstr& left, const ExprInstr& right) {
  const T l = valueOf<T>(left);
  const T r = valueOf<T>(right);
  if constexpr (Op == EOP_LOR) {
    valueOf<LONG>(self) = isTrue(l) || isTrue(r);
  } else if constexpr (Op == EOP_LAND) {
    valueOf<LONG>(self) = isTrue(l) && isTrue(r);
  } else if constexpr (Op >= EOP_EQU && Op <= EOP_GEQ) {
    valueOf<LONG>(self) = compared(Op, l, r);
  } else {
    return combine(Op, left, right, valueOf<T>(self));
  }
  return QEL_S_OK;
}

// Bit fields, strings and dates: the operator is looked at when it runs.
DWORD anyBinary(ExprContext*, ExprInstr& self, const ExprInstr& left, const ExprInstr& right) {
  switch (self.op.nType) {
    case EXT_BitField: return bitFieldBinary(self.nOpcode, self, left, right);
    case EXT_String: return stringBinary(self.nOpcode, self, left, right);
    case EXT_Date: return dateBinary(self.nOpcode, self, left, right);
    default: return QEL_E_UNEXPECTED;  // no value type of an operator
  }
}

// The binary operators EOP_LOR to EOP_MOD of one numeric type.  ORDER EOP
template <class T, LONG... Offsets>
constexpr std::array<Handler, sizeof...(Offsets)> numericRow(std::integer_sequence<LONG, Offsets...>) {
  return {&numericOp<T, EOP_LOR + Offsets>...};
}
constexpr auto kOperatorCount = std::make_integer_sequence<LONG, EOP_MOD - EOP_LOR + 1>();
constexpr std::array<std::array<Handler, EOP_MOD - EOP_LOR + 1>, 4> kNumericOps{
    numericRow<WCHAR>(kOperatorCount), numericRow<LONG>(kOperatorCount), numericRow<ULONG>(kOperatorCount),
    numericRow<double>(kOperatorCount)};

}  // namespace

Handler binaryHandler(LONG opcode, LONG type) {
  if (opcode < EOP_LOR || opcode > EOP_MOD) return anyBinary;
  switch (type) {  // the rows of kNumericOps
    case EXT_Char: return kNumericOps[0][size_t(opcode - EOP_LOR)];
    case EXT_Long: return kNumericOps[1][size_t(opcode - EOP_LOR)];
    case EXT_ULong: return kNumericOps[2][size_t(opcode - EOP_LOR)];
    case EXT_Double: return kNumericOps[3][size_t(opcode - EOP_LOR)];
    default: return anyBinary;
  }
}

DWORD combineBits(LONG opcode, const ExprInstr& left, const ExprInstr& right, ExprBitField& out) {
  const ExprBitField l = valueOf<ExprBitField>(left);
  switch (opcode) {
    case EOP_OR:
    case EOP_XOR:
    case EOP_AND: {
      const ExprBitField r = valueOf<ExprBitField>(right);
      out = opcode == EOP_OR    ? ExprBitField{l.ulHigh | r.ulHigh, l.ulLow | r.ulLow}
            : opcode == EOP_XOR ? ExprBitField{l.ulHigh ^ r.ulHigh, l.ulLow ^ r.ulLow}
                                : ExprBitField{l.ulHigh & r.ulHigh, l.ulLow & r.ulLow};
      return QEL_S_OK;
    }
    case EOP_SHL:
    case EOP_SHR: {
      uint64_t v = (uint64_t(l.ulHigh) << 32) | l.ulLow;
      if (DWORD rc = shiftBits(v, valueOf<LONG>(right), opcode == EOP_SHL)) return rc;
      out = {ULONG(v >> 32), ULONG(v)};
      return QEL_S_OK;
    }
    default: return QEL_E_UNEXPECTED;
  }
}

DWORD shiftBits(uint64_t& v, LONG count, bool left) {
  if (count < 0 || count > 63) return QEL_DISP_E_OVERFLOW;
  v = left ? v << count : v >> count;
  return QEL_S_OK;
}

DWORD runUnary(LONG opcode, const ExprInstr& self, const ExprInstr& operand) {
  if (self.op.nType == EXT_BitField) {
    if (opcode == EOP_LNOT) {
      const auto& v = valueOf<ExprBitField>(operand);
      valueOf<LONG>(self) = v.ulHigh == 0 || v.ulLow == 0;
      return QEL_S_OK;
    }
    if (opcode != EOP_NOT) return QEL_E_UNEXPECTED;
    setBits(self, ~bitsOf(operand));
    return QEL_S_OK;
  }
  return forNumeric(self.op.nType, [&](auto tag) -> DWORD {
    using T = decltype(tag);
    const T v = valueOf<T>(operand);
    switch (opcode) {
      case EOP_POS: valueOf<T>(self) = v; return QEL_S_OK;
      case EOP_NEG:
        if constexpr (std::is_floating_point_v<T>)
          valueOf<T>(self) = -v;
        else
          valueOf<T>(self) = wrapSub(T(0), v);
        return QEL_S_OK;
      case EOP_LNOT: valueOf<LONG>(self) = !isTrue(v); return QEL_S_OK;
      default:
        if constexpr (!std::is_floating_point_v<T>) {
          valueOf<T>(self) = T(~v);
          return QEL_S_OK;
        }
        return QEL_E_UNEXPECTED;
    }
  });
}

}  // namespace qel::expr
