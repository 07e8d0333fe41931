/*
 * Which operand of a binary operator is converted, and to what: the
 * conversion whose opcode ranks lower wins, "no conversion" ranking lowest.
 */
#include <qel/wcrt.h>

#include <cstring>
#include <initializer_list>

#include "expr/Compiler.h"
#include "frame/ResultCodes.h"

namespace {

constexpr LONG NO = EOP_NOP;

// By source (rows) and target (columns), types Void to Date.
// clang-format off
constexpr LONG kConversions[8][8] = {
  /* Void     */ {NO, NO,          NO,          NO,           NO,             NO,              NO,             NO},
  /* Char     */ {NO, NO,          EOP_TO_LONG, EOP_TO_ULONG, EOP_TO_DOUBLE,  EOP_TO_BITFIELD, EOP_TO_STRING,  NO},
  /* Long     */ {NO, EOP_TO_CHAR, NO,          EOP_TO_ULONG, EOP_TO_DOUBLE,  EOP_TO_BITFIELD, NO,             NO},
  /* ULong    */ {NO, EOP_TO_CHAR, EOP_TO_LONG, NO,           EOP_TO_DOUBLE,  EOP_TO_BITFIELD, NO,             NO},
  /* Double   */ {NO, EOP_TO_CHAR, EOP_TO_LONG, EOP_TO_ULONG, NO,             EOP_TO_BITFIELD, NO,             NO},
  /* BitField */ {NO, NO,          NO,          NO,           NO,             NO,              NO,             NO},
  /* String   */ {NO, NO,          NO,          NO,           NO,             NO,              NO,             NO},
  /* Date     */ {NO, NO,          NO,          NO,           NO,             NO,              NO,             NO},
};
// clang-format on

LONG conversion(LONG from, LONG to) {
  bool known = from >= EXT_Void && from <= EXT_Date && to >= EXT_Void && to <= EXT_Date;
  return known ? kConversions[from][to] : NO;
}

// Two names of at most 12 characters and the separator; shared by every
// context, valid until the next mismatch.
WCHAR mismatchText[2 * 12 + 5 + 1];

DWORD mismatch(ExprContext* ctx, LONG left, LONG right) {
  WCHAR* out = mismatchText;
  for (const WCHAR* part :
       {qel::expr::typeName(left), static_cast<const WCHAR*>(QEL_W(" <-> ")), qel::expr::typeName(right)}) {
    size_t n = wcslen(part);
    std::memcpy(out, part, n * sizeof(WCHAR));
    out += n;
  }
  *out = 0;
  ctx->pszErrText = mismatchText;
  return QEL_DISP_E_TYPEMISMATCH;
}

}  // namespace

namespace qel::expr {

DWORD Compiler::convert(LONG position, LONG leftType, bool force) {
  LONG rightType = ctx_->nCurType;
  if (leftType == rightType) return QEL_S_OK;
  LONG toRight = conversion(leftType, rightType);
  LONG toLeft = conversion(rightType, leftType);
  if (toRight < toLeft || force) {
    if (toLeft == NO) return mismatch(ctx_, leftType, rightType);
    return emitConversion(toLeft, codeSize(), rightType, leftType);
  }
  if (toRight == NO) return mismatch(ctx_, leftType, rightType);
  return emitConversion(toRight, position, leftType, rightType);
}

}  // namespace qel::expr
