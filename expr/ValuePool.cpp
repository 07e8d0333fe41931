/*
 * Values that compiled code owns: 8-byte slots in one growing pool for the
 * numeric types, separate objects for strings, dates and bit fields.
 */
#include <cstdint>
#include <cstring>

#include "datetime/DateTime.h"
#include "expr/ExprInternal.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"
#include "strings/StringObject.h"

namespace {

constexpr ULONG kPoolStep = 1024;

ULONG valueSize(LONG type) {
  switch (type) {
    case EXT_Char: return sizeof(WCHAR);
    case EXT_Long:
    case EXT_ULong: return sizeof(LONG);
    case EXT_Double: return sizeof(double);
    default: return 0;
  }
}

// Code compiled so far holds pool addresses; a moved pool moves them along.
void rebase(ExprContext* ctx, const BYTE* oldBase, ULONG oldUsed) {
  const uintptr_t begin = reinterpret_cast<uintptr_t>(oldBase), end = begin + oldUsed;
  for (LONG i = 0, n = DAGetSize(ctx->hCode); i < n; ++i) {
    ExprOperand& op = qel::expr::instrAt(ctx, i)->op;
    auto at = reinterpret_cast<uintptr_t>(op.pValue);
    if (at >= begin && at < end) op.pValue = ctx->pPool + (at - begin);
  }
}

DWORD placeInPool(ExprContext* ctx, LONG type, const void* initial, ExprOperand& value) {
  ULONG size = valueSize(type);
  ULONG rounded = (size + 7) & ~7u;
  if (ctx->nPoolUsed + rounded >= ctx->nPoolSize) {
    if (ctx->nPoolSize > UINT32_MAX - kPoolStep) return QEL_E_OUTOFMEMORY;
    BYTE* oldBase = ctx->pPool;
    auto* pool = static_cast<BYTE*>(qel::heapRealloc(ctx->pPool, ctx->nPoolSize + kPoolStep));
    if (!pool) return QEL_E_OUTOFMEMORY;
    ctx->pPool = pool;
    ctx->nPoolSize += kPoolStep;
    if (pool != oldBase && oldBase) rebase(ctx, oldBase, ctx->nPoolUsed);
  }
  BYTE* slot = ctx->pPool + ctx->nPoolUsed;
  if (initial)
    std::memcpy(slot, initial, size);
  else
    std::memset(slot, 0, size);
  ctx->nPoolUsed += rounded;
  value.pValue = slot;
  value.nStorage = EXS_Plain;
  return QEL_S_OK;
}

void* newString(const void* initial) {
  TS ts = TSNew();
  if (ts && initial && !TSSetStr(ts, static_cast<const WCHAR*>(initial))) {
    TSFree(ts);
    return nullptr;
  }
  return ts;
}

void* newDate(const void* initial) {
  TD td = TDNew();
  if (td && initial) TDCopy(td, static_cast<const SYSTEMTIME*>(initial));
  return td;
}

void* newBitField(const void* initial) {
  void* block = qel::heapAlloc(sizeof(ExprBitField));
  if (!block) return nullptr;
  if (initial)
    std::memcpy(block, initial, sizeof(ExprBitField));
  else
    std::memset(block, 0, sizeof(ExprBitField));
  return block;
}

}  // namespace

namespace qel::expr {

DWORD newValue(ExprContext* ctx, LONG type, const void* initial, ExprOperand& value) {
  value.nType = type;
  value.nLink = -1;
  value.nUses = 0;
  switch (type) {
    case EXT_String:
      value.pValue = newString(initial);
      value.nStorage = EXS_String;
      break;
    case EXT_Date:
      value.pValue = newDate(initial);
      value.nStorage = EXS_Date;
      break;
    case EXT_BitField:
      value.pValue = newBitField(initial);
      value.nStorage = EXS_BitField;
      break;
    default: return placeInPool(ctx, type, initial, value);
  }
  return value.pValue ? QEL_S_OK : QEL_E_OUTOFMEMORY;
}

void freeValue(const ExprOperand& value) {
  switch (value.nStorage) {
    case EXS_String: TSFree(static_cast<TS>(value.pValue)); break;
    case EXS_BitField: qel::heapFree(value.pValue); break;
    case EXS_Date: TDFree(static_cast<TD>(value.pValue)); break;
    default: break;
  }
}

}  // namespace qel::expr
