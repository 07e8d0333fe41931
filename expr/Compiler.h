/*
 * The recursive-descent compiler: one routine per precedence level
 * (Grammar.cpp, Postfix.cpp), the type conversions between operands
 * (Conversion.cpp) and the instructions it appends (CodeEmission.cpp).
 */
#ifndef QELBASE_EXPR_COMPILER_H
#define QELBASE_EXPR_COMPILER_H

#include "expr/ExprInternal.h"

namespace qel::expr {

class Compiler {
 public:
  explicit Compiler(ExprContext* ctx) : ctx_(ctx), sym_(currentSym(ctx)) {}

  // Level 1, and with it the whole language.
  DWORD assignment();

  // Brings the operand compiled last (type nCurType) and the one whose code
  // ends at `position` (type `leftType`) to one type; forced: the last one
  // to `leftType`.
  DWORD convert(LONG position, LONG leftType, bool force);
  DWORD convertTo(LONG type) { return convert(codeSize(), type, true); }

  // The symbol the source stands on: asked for once per step of the source,
  // as every level looks at it.
  LONG sym() const { return sym_; }
  // A failure that names the symbol the scanner stands on.
  DWORD failAtSymbol(DWORD code);

 private:
  DWORD binary(int minLevel);
  DWORD unary();
  DWORD postfix();
  DWORD primary(ExprOperand*& found);
  DWORD call(const ExprOperand& function);
  DWORD arguments(const ExprOperand& function);
  DWORD index();
  DWORD member(LONG opcode);

  // Appends an operator: its operand fields are a copy of `operand`, or a new
  // result slot of `resultType` (of nCurType when 0); a nonzero `resultType`
  // becomes the new nCurType, the old one the instruction's nType.
  DWORD emit(LONG opcode, LONG resultType, const ExprOperand* operand);
  DWORD emitConversion(LONG opcode, LONG position, LONG from, LONG to);
  DWORD pushSymbol(ExprOperand& symbol);
  DWORD pushLiteral(LONG sym, LONG type);
  // Looks up the current identifier: 0x80020006 naming it when undefined.
  DWORD findSymbol(ExprOperand*& symbol);

  LONG codeSize() const { return DAGetSize(ctx_->hCode); }
  void advance() {
    nextSym(ctx_);
    sym_ = currentSym(ctx_);
  }
  void setCandidate(const ExprOperand* candidate) { ctx_->pLValue = const_cast<ExprOperand*>(candidate); }
  void dropCandidate() { setCandidate(&kNotLValue); }

  ExprContext* ctx_;
  LONG sym_;
  int depth_ = 0;
};

}  // namespace qel::expr

#endif
