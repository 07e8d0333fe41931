/* The conversion instructions the compiler places between operand types. */
#include <cmath>
#include <cstring>

#include "expr/Evaluator.h"
#include "frame/ResultCodes.h"
#include "strings/StringObject.h"

namespace qel::expr {
namespace {

// Toward zero to 64 bits; a NaN or a magnitude of 2^63 or more gives -2^63.
int64_t truncated(double d) {
  if (!(std::fabs(d) < 9223372036854775808.0)) return INT64_MIN;
  return int64_t(d);
}

// The source value as 64 bits of integer: what the narrower targets keep
// the low bits of.
template <class T>
uint64_t integerBits(T v) {
  if constexpr (std::is_floating_point_v<T>)
    return uint64_t(truncated(v));
  else
    return uint32_t(v);
}

// One numeric value converted by a conversion opcode.
template <class T>
DWORD convertNumber(LONG opcode, const ExprInstr& self, const ExprInstr& operand) {
  const T v = valueOf<T>(operand);
  switch (opcode) {
    case EOP_TO_CHAR: valueOf<WCHAR>(self) = WCHAR(integerBits(v)); break;
    case EOP_TO_LONG: valueOf<LONG>(self) = LONG(uint32_t(integerBits(v))); break;
    case EOP_TO_ULONG: valueOf<ULONG>(self) = ULONG(integerBits(v)); break;
    case EOP_TO_DOUBLE: valueOf<double>(self) = double(v); break;
    case EOP_TO_BITFIELD:
      if constexpr (std::is_floating_point_v<T>) {
        // The double's bytes as they lie: its low-order half lands in the high word.
        std::memcpy(self.op.pValue, &v, sizeof v);
      } else {
        valueOf<ExprBitField>(self) = {0, ULONG(uint32_t(v))};
      }
      break;
    default: return QEL_E_UNEXPECTED;
  }
  return QEL_S_OK;
}

// A conversion to the type itself is none the table lists.
bool toItself(LONG opcode, LONG from) {
  constexpr LONG kTargets[] = {EXT_Char, EXT_Long, EXT_ULong, EXT_BitField, EXT_Double};  // ORDER EOP
  return opcode >= EOP_TO_CHAR && opcode <= EOP_TO_DOUBLE && kTargets[opcode - EOP_TO_CHAR] == from;
}

template <class T, LONG Op>
DWORD numberConversion(ExprContext*, ExprInstr& self, const ExprInstr&, const ExprInstr& operand) {
  return convertNumber<T>(Op, self, operand);
}

DWORD anyConversion(ExprContext*, ExprInstr& self, const ExprInstr&, const ExprInstr& operand) {
  return runConversion(self.nOpcode, self, operand);
}

}  // namespace

DWORD runConversion(LONG opcode, const ExprInstr& self, const ExprInstr& operand) {
  LONG from = self.op.nType;
  if (opcode == EOP_TO_STRING) {
    if (from != EXT_Char) return QEL_E_INVALID_DATA;
    return TSFromCh(static_cast<TS>(self.op.pValue), valueOf<WCHAR>(operand)) ? QEL_S_OK : QEL_E_OUTOFMEMORY;
  }
  if (toItself(opcode, from)) return QEL_E_UNEXPECTED;
  return forNumeric(from, [&](auto tag) { return convertNumber<decltype(tag)>(opcode, self, operand); });
}

// The numeric conversions the compiler places most: Long and Char toward
// Double and Long.
Handler conversionHandler(LONG opcode, LONG type) {
  if (opcode == EOP_TO_DOUBLE && type == EXT_Long) return numberConversion<LONG, EOP_TO_DOUBLE>;
  if (opcode == EOP_TO_DOUBLE && type == EXT_ULong) return numberConversion<ULONG, EOP_TO_DOUBLE>;
  if (opcode == EOP_TO_LONG && type == EXT_Double) return numberConversion<double, EOP_TO_LONG>;
  if (opcode == EOP_TO_LONG && type == EXT_Char) return numberConversion<WCHAR, EOP_TO_LONG>;
  return anyConversion;
}

}  // namespace qel::expr
