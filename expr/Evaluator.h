/*
 * The evaluator's parts: the loop (Evaluate.cpp) pops operands and hands
 * them, with the instruction that holds the result slot, to the operator
 * families (Operators.cpp, Assignments.cpp, ValueConversion.cpp,
 * HostCall.cpp).
 */
#ifndef QELBASE_EXPR_EVALUATOR_H
#define QELBASE_EXPR_EVALUATOR_H

#include <cstdint>
#include <type_traits>

#include "expr/ExprInternal.h"
#include "frame/ResultCodes.h"

namespace qel::expr {

template <class T>
inline T& valueOf(const ExprInstr& in) {
  return *static_cast<T*>(in.op.pValue);
}

// Calls body(T{}) with the representation type of a numeric value type;
// any other type is an operator the type does not have.
template <class Body>
inline DWORD forNumeric(LONG type, Body&& body) {
  switch (type) {
    case EXT_Char: return body(WCHAR{});
    case EXT_Long: return body(LONG{});
    case EXT_ULong: return body(ULONG{});
    case EXT_Double: return body(double{});
    default: return QEL_E_UNEXPECTED;
  }
}

template <class Body>
inline DWORD forIntegral(LONG type, Body&& body) {
  return type == EXT_Double ? QEL_E_UNEXPECTED : forNumeric(type, body);
}

// Wrapping integer arithmetic at the type's width; plain double arithmetic.
template <class T>
inline T wrapAdd(T a, T b) {
  if constexpr (std::is_floating_point_v<T>)
    return a + b;
  else
    return T(uint32_t(a) + uint32_t(b));
}
template <class T>
inline T wrapSub(T a, T b) {
  if constexpr (std::is_floating_point_v<T>)
    return a - b;
  else
    return T(uint32_t(a) - uint32_t(b));
}
template <class T>
inline T wrapMul(T a, T b) {
  if constexpr (std::is_floating_point_v<T>)
    return a * b;
  else
    return T(uint32_t(a) * uint32_t(b));
}

template <class T>
inline bool isZero(T v) {
  if constexpr (std::is_floating_point_v<T>)
    return !(v < 0 || v > 0);  // a NaN divisor counts as zero
  else
    return v == 0;
}

// The quotient and remainder; the smallest Long divided by -1 wraps to
// itself with remainder 0.
template <class T>
inline T quotient(T a, T b) {
  if constexpr (std::is_same_v<T, LONG>)
    if (b == -1) return wrapSub(LONG(0), a);
  return T(a / b);
}
template <class T>
inline T remainder(T a, T b) {
  if constexpr (std::is_same_v<T, LONG>)
    if (b == -1) return 0;
  return T(a % b);
}

template <class T>
inline T shifted(T a, LONG count, bool left) {
  unsigned c = unsigned(count) & 31u;
  if constexpr (std::is_same_v<T, WCHAR>)
    if (c >= 16) return 0;
  if (left) return T(uint32_t(a) << c);
  return T(a >> c);
}

inline uint64_t bitsOf(const ExprInstr& in) {
  const auto& b = valueOf<ExprBitField>(in);
  return (uint64_t(b.ulHigh) << 32) | b.ulLow;
}
inline void setBits(const ExprInstr& in, uint64_t v) {
  valueOf<ExprBitField>(in) = {ULONG(v >> 32), ULONG(v)};
}

template <class T>
inline bool isTrue(T v) {
  if constexpr (std::is_floating_point_v<T>)
    return v < 0 || v > 0;  // a NaN is false
  else
    return v != 0;
}

// A comparison involving a NaN is unordered: ==, <, <= hold, the others not.
template <class T>
inline LONG compared(LONG opcode, T l, T r) {
  switch (opcode) {
    case EOP_EQU: return !(l < r || l > r);
    case EOP_NEQ: return l < r || l > r;
    case EOP_LT: return !(l >= r);
    case EOP_GT: return l > r;
    case EOP_LEQ: return !(l > r);
    default: return l >= r;
  }
}

// Shifting a bit field by a count outside 0 to 63 fails.
DWORD shiftBits(uint64_t& v, LONG count, bool left);

// The arithmetic, bitwise and shift operators (EOP_OR to EOP_MOD without the
// comparisons) of two numbers, written to `out` (which may be the left one).
template <class T>
DWORD combine(LONG opcode, const ExprInstr& left, const ExprInstr& right, T& out) {
  const T l = valueOf<T>(left);
  const T r = valueOf<T>(right);
  switch (opcode) {
    case EOP_ADD: out = wrapAdd(l, r); return 0;
    case EOP_SUB: out = wrapSub(l, r); return 0;
    case EOP_MUL: out = wrapMul(l, r); return 0;
    case EOP_DIV:
      if (isZero(r)) return QEL_DISP_E_DIVBYZERO;
      out = quotient(l, r);
      return 0;
    default: break;
  }
  if constexpr (!std::is_floating_point_v<T>) {
    switch (opcode) {
      case EOP_OR: out = T(l | r); return 0;
      case EOP_XOR: out = T(l ^ r); return 0;
      case EOP_AND: out = T(l & r); return 0;
      case EOP_SHL:
      case EOP_SHR: out = shifted(l, valueOf<LONG>(right), opcode == EOP_SHL); return 0;
      case EOP_MOD:
        if (r == 0) return QEL_DISP_E_DIVBYZERO;
        out = remainder(l, r);
        return 0;
      default: break;
    }
  }
  return QEL_E_UNEXPECTED;
}

// The same for bit fields: OR, XOR, AND and the shifts.
DWORD combineBits(LONG opcode, const ExprInstr& left, const ExprInstr& right, ExprBitField& out);

// What one instruction does, chosen once from its opcode and the type it
// works on: the operands' instructions in, the result in `self`'s slot.
// For one-operand instructions `left` is the operand too.
using Handler = DWORD (*)(ExprContext* ctx, ExprInstr& self, const ExprInstr& left, const ExprInstr& right);

// The handler of every instruction but the operand push, the call and the
// end; an opcode outside the set has none (null).
Handler handlerFor(LONG opcode, LONG type);
// The binary operators EOP_LOR to EOP_MOD: numbers get handlers made for
// their opcode and type; the other types one that looks at both when it runs.
Handler binaryHandler(LONG opcode, LONG type);
Handler conversionHandler(LONG opcode, LONG type);

DWORD runUnary(LONG opcode, const ExprInstr& self, const ExprInstr& operand);
// The result becomes the left operand's own storage: `self` is updated.
DWORD runAssignment(LONG opcode, ExprInstr& self, const ExprInstr& left, const ExprInstr& right);
// ++ and --: before use the result is the operand's storage, after use a copy
// of the old value.
DWORD runIncrement(LONG opcode, ExprInstr& self, const ExprInstr& operand);
DWORD runConversion(LONG opcode, const ExprInstr& self, const ExprInstr& operand);
// Calls the host function whose push is `function` as returning Result.
template <class Result>
Result callAs(const ExprInstr& function, ExprContext* ctx, LONG_PTR hostArg) {
  using Fn = Result(QEL_CDECL*)(ExprContext*, LONG_PTR);
  return reinterpret_cast<Fn>(function.op.pValue)(ctx, hostArg);
}

// Calls the function whose push is `function`; the arguments stay on the
// stack for the function to pop.
DWORD runCall(ExprContext* ctx, LONG self, const ExprInstr& function, LONG_PTR hostArg);

}  // namespace qel::expr

#endif
