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

// Binary levels 2 to 11, lowest precedence first.
constexpr int kFirstBinaryLevel = 2;
constexpr int kShiftLevel = 9;
constexpr int kLastBinaryLevel = 11;
constexpr OperatorCode kBinaryLevels[][4] = {
  /*  2 */ {{SYM_LOGICAL_OR, EOP_LOR}},
  /*  3 */ {{SYM_LOGICAL_AND, EOP_LAND}},
  /*  4 */ {{'|', EOP_OR}},
  /*  5 */ {{'^', EOP_XOR}},
  /*  6 */ {{'&', EOP_AND}},
  /*  7 */ {{SYM_EQ, EOP_EQU}, {SYM_NE, EOP_NEQ}},
  /*  8 */ {{'<', EOP_LT}, {'>', EOP_GT}, {SYM_LE, EOP_LEQ}, {SYM_GE, EOP_GEQ}},
  /*  9 */ {{SYM_SHL, EOP_SHL}, {SYM_SHR, EOP_SHR}},
  /* 10 */ {{'+', EOP_ADD}, {'-', EOP_SUB}},
  /* 11 */ {{'*', EOP_MUL}, {'/', EOP_DIV}, {'%', EOP_MOD}},
};

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

DWORD Compiler::binary(int level) {
  if (level > kLastBinaryLevel) return unary();
  if (DWORD rc = binary(level + 1)) return rc;
  for (;;) {
    LONG position = codeSize();
    LONG leftType = ctx_->nCurType;
    LONG opcode = opcodeOf(kBinaryLevels[level - kFirstBinaryLevel], sym());
    if (!opcode) return QEL_S_OK;
    advance();
    DWORD rc = binary(level + 1);
    if (!rc && level == kShiftLevel) {
      rc = convertTo(EXT_Long);
      ctx_->nCurType = leftType;
      if (!rc) rc = emit(opcode, leftType, nullptr);
    } else if (!rc) {
      rc = convert(position, leftType, false);
      if (!rc) rc = emit(opcode, yieldsLong(opcode) ? EXT_Long : 0, nullptr);
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
