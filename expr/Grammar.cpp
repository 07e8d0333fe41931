/* The operator levels of the language, from assignment down to unary. */
#include "expr/Compiler.h"
#include "frame/ResultCodes.h"

namespace {

// Deeper nesting than this is refused as if memory had run out: each level
// costs the parser a dozen frames of the caller's stack.
constexpr int kMaxNesting = 256;

// The operator a symbol stands for at each kind of place, 0 for none.  Each
// operand asks all three, so they are switches, not table walks.
LONG assignmentOperator(LONG sym) {
  switch (sym) {
    case '=': return EOP_ASS;
    case SYM_MUL_ASSIGN: return EOP_MULASS;
    case SYM_DIV_ASSIGN: return EOP_DIVASS;
    case SYM_MOD_ASSIGN: return EOP_MODASS;
    case SYM_ADD_ASSIGN: return EOP_ADDASS;
    case SYM_SUB_ASSIGN: return EOP_SUBASS;
    case SYM_SHL_ASSIGN: return EOP_SHLASS;
    case SYM_SHR_ASSIGN: return EOP_SHRASS;
    case SYM_AND_ASSIGN: return EOP_ANDASS;
    case SYM_XOR_ASSIGN: return EOP_XORASS;
    case SYM_OR_ASSIGN: return EOP_ORASS;
    default: return 0;
  }
}

// The binary operators with their levels, 2 (lowest precedence) to 11.
struct BinaryOperator {
  LONG opcode;
  int level;
};
constexpr int kFirstBinaryLevel = 2;
constexpr int kShiftLevel = 9;

BinaryOperator binaryOperator(LONG sym) {
  switch (sym) {
    case SYM_LOGICAL_OR: return {EOP_LOR, 2};
    case SYM_LOGICAL_AND: return {EOP_LAND, 3};
    case '|': return {EOP_OR, 4};
    case '^': return {EOP_XOR, 5};
    case '&': return {EOP_AND, 6};
    case SYM_EQ: return {EOP_EQU, 7};
    case SYM_NE: return {EOP_NEQ, 7};
    case '<': return {EOP_LT, 8};
    case '>': return {EOP_GT, 8};
    case SYM_LE: return {EOP_LEQ, 8};
    case SYM_GE: return {EOP_GEQ, 8};
    case SYM_SHL: return {EOP_SHL, kShiftLevel};
    case SYM_SHR: return {EOP_SHR, kShiftLevel};
    case '+': return {EOP_ADD, 10};
    case '-': return {EOP_SUB, 10};
    case '*': return {EOP_MUL, 11};
    case '/': return {EOP_DIV, 11};
    case '%': return {EOP_MOD, 11};
    default: return {0, 0};
  }
}

LONG prefixOperator(LONG sym) {
  switch (sym) {
    case SYM_INCREMENT: return EOP_PREINC;
    case SYM_DECREMENT: return EOP_PREDEC;
    case '+': return EOP_POS;
    case '-': return EOP_NEG;
    case '!': return EOP_LNOT;
    case '~': return EOP_NOT;
    case '*': return EOP_DRF;
    case '&': return EOP_ADR;
    default: return 0;
  }
}

bool yieldsLong(LONG opcode) {
  return opcode == EOP_LOR || opcode == EOP_LAND || (opcode >= EOP_EQU && opcode <= EOP_GEQ);
}

class NestingGuard {
 public:
  explicit NestingGuard(int& depth) : depth_(++depth) {}
  ~NestingGuard() { --depth_; }
  bool tooDeep() const { return depth_ > kMaxNesting; }

 private:
  int& depth_;
};

}  // namespace

namespace qel::expr {

DWORD Compiler::assignment() {
  NestingGuard nesting(depth_);
  if (nesting.tooDeep()) return QEL_E_OUTOFMEMORY;
  if (DWORD rc = binary(kFirstBinaryLevel)) return rc;
  LONG leftType = ctx_->nCurType;
  ExprOperand* target = ctx_->pLValue;
  LONG opcode = assignmentOperator(sym());
  if (!opcode) return QEL_S_OK;
  if (!isLValue(target)) return QEL_E_LVALUE_REQUIRED;
  advance();
  if (DWORD rc = assignment()) return rc;
  DWORD rc;
  if (opcode == EOP_SHLASS || opcode == EOP_SHRASS) {
    rc = convertTo(EXT_Long);
    ctx_->nCurType = leftType;
    if (!rc) rc = emit(opcode, leftType, target);
  } else {
    rc = convertTo(leftType);
    if (!rc) rc = emit(opcode, 0, target);
  }
  setCandidate(target);
  return rc ? rc : recordXRef(ctx_, target);
}

// Precedence climbing: the left operand is compiled; each operator of at
// least `minLevel` takes as its right operand a unary expression and every
// operator binding tighter that follows, which gives the same postfix code
// as one recursive rule per level, with left-associative levels.
DWORD Compiler::binary(int minLevel) {
  if (DWORD rc = unary()) return rc;
  for (;;) {
    const LONG position = codeSize();
    const LONG leftType = ctx_->nCurType;
    const BinaryOperator op = binaryOperator(sym());
    if (!op.opcode || op.level < minLevel) return QEL_S_OK;
    advance();
    DWORD rc = binary(op.level + 1);
    if (!rc && op.level == kShiftLevel) {
      rc = convertTo(EXT_Long);
      ctx_->nCurType = leftType;
      if (!rc) rc = emit(op.opcode, leftType, nullptr);
    } else if (!rc) {
      rc = convert(position, leftType, false);
      if (!rc) rc = emit(op.opcode, yieldsLong(op.opcode) ? EXT_Long : 0, nullptr);
    }
    dropCandidate();
    if (rc) return rc;
  }
}

DWORD Compiler::unary() {
  LONG opcode = prefixOperator(sym());
  if (!opcode) return postfix();
  NestingGuard nesting(depth_);
  if (nesting.tooDeep()) return QEL_E_OUTOFMEMORY;
  advance();
  if (DWORD rc = unary()) return rc;
  ExprOperand* target = ctx_->pLValue;
  if (opcode == EOP_PREINC || opcode == EOP_PREDEC) {
    if (!isLValue(target)) return QEL_E_LVALUE_REQUIRED;
    if (DWORD rc = emit(opcode, 0, target)) return rc;
    return recordXRef(ctx_, target);
  }
  dropCandidate();
  return emit(opcode, opcode == EOP_LNOT ? EXT_Long : 0, nullptr);
}

}  // namespace qel::expr
