/* The operator levels of the language, from assignment down to unary. */
#include "expr/Compiler.h"
#include "frame/ResultCodes.h"

namespace {

// Deeper nesting than this is refused as if memory had run out: each level
// costs the parser a dozen frames of the caller's stack.
constexpr int kMaxNesting = 256;

struct OperatorCode {
  LONG sym;
  LONG opcode;
};

// clang-format off
constexpr OperatorCode kAssignments[] = {
  {'=', EOP_ASS}, {SYM_MUL_ASSIGN, EOP_MULASS}, {SYM_DIV_ASSIGN, EOP_DIVASS}, {SYM_MOD_ASSIGN, EOP_MODASS},
  {SYM_ADD_ASSIGN, EOP_ADDASS}, {SYM_SUB_ASSIGN, EOP_SUBASS}, {SYM_SHL_ASSIGN, EOP_SHLASS},
  {SYM_SHR_ASSIGN, EOP_SHRASS}, {SYM_AND_ASSIGN, EOP_ANDASS}, {SYM_XOR_ASSIGN, EOP_XORASS},
  {SYM_OR_ASSIGN, EOP_ORASS},
};

// The binary operators with their levels, 2 (lowest precedence) to 11.
struct BinaryOperator {
  LONG opcode;
  int level;
};
constexpr int kFirstBinaryLevel = 2;
constexpr int kShiftLevel = 9;
// clang-format on

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

// clang-format off
constexpr OperatorCode kPrefixes[] = {
  {SYM_INCREMENT, EOP_PREINC}, {SYM_DECREMENT, EOP_PREDEC}, {'+', EOP_POS}, {'-', EOP_NEG},
  {'!', EOP_LNOT}, {'~', EOP_NOT}, {'*', EOP_DRF}, {'&', EOP_ADR},
};
// clang-format on

template <size_t N>
LONG opcodeOf(const OperatorCode (&table)[N], LONG sym) {
  for (const OperatorCode& entry : table)
    if (entry.opcode != 0 && entry.sym == sym) return entry.opcode;
  return 0;
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
  LONG opcode = opcodeOf(kAssignments, sym());
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
  LONG opcode = opcodeOf(kPrefixes, sym());
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
