/* The symbol table: the host's variables, constants and functions by name. */
#include <cstdarg>

#include "expr/ExprInternal.h"
#include "frame/Boundary.h"
#include "frame/ResultCodes.h"

namespace {

ExprSymbol* findSymbol(ExprContext* ctx, const WCHAR* name) {
  if (!name) return nullptr;
  ExprSymbol key{name, {}};
  return static_cast<ExprSymbol*>(BTSearch(ctx->hSymbols, &key));
}

DWORD insertSymbol(ExprContext* ctx, const ExprSymbol& symbol) {
  if (!symbol.pszName) return QEL_E_INVALIDARG;
  if (findSymbol(ctx, symbol.pszName)) return QEL_TYPE_E_NAMECONFLICT;
  return BTInsert(ctx->hSymbols, &symbol) ? QEL_S_OK : QEL_E_OUTOFMEMORY;
}

// Removes argument-type entries appended by a definition that failed.
void truncateArgTypes(DA argTypes, LONG size) {
  while (DAGetSize(argTypes) > size) DADeleteLast(argTypes);
}

const WCHAR* visit(ExprSymbol* symbol, ExprOperand** operand, void** position) {
  *position = symbol;
  if (!symbol) return nullptr;
  *operand = &symbol->op;
  return symbol->pszName;
}

}  // namespace

extern "C" {

DWORD QEL_STDCALL ExprDefineVar(ExprContext* pCtx, void* pValue, const WCHAR* pszName, LONG nType) {
  return qel::guarded(QEL_E_OUTOFMEMORY, [&] {
    return insertSymbol(pCtx, {pszName, {pValue, nType, EXS_Plain, -1, 0}});
  });
}

DWORD QEL_STDCALL ExprDefineConst(ExprContext* pCtx, void* pValue, const WCHAR* pszName, LONG nType) {
  return qel::guarded(QEL_E_OUTOFMEMORY, [&] {
    return insertSymbol(pCtx, {pszName, {pValue, nType, EXS_Constant, -1, 0}});
  });
}

DWORD QEL_CDECL ExprDefineFn(ExprContext* pCtx, void* pfnFunction, const WCHAR* pszName, LONG nResultType,
                             LONG nArgs, ...) {
  va_list types;
  va_start(types, nArgs);
  DWORD result = qel::guarded(QEL_E_OUTOFMEMORY, [&]() -> DWORD {
    if (!pszName || nArgs < 0) return QEL_E_INVALIDARG;
    if (findSymbol(pCtx, pszName)) return QEL_TYPE_E_NAMECONFLICT;
    LONG first = DAGetSize(pCtx->hArgTypes);
    bool stored = true;
    for (LONG i = 0; i < nArgs && stored; ++i) {
      LONG type = va_arg(types, LONG);
      stored = DAAddElem(pCtx->hArgTypes, &type) != nullptr;
    }
    const LONG terminator = EXT_Void;
    stored = stored && DAAddElem(pCtx->hArgTypes, &terminator);
    if (!stored ||
        insertSymbol(pCtx, {pszName, {pfnFunction, nResultType, EXS_Function, first, 0}}) != QEL_S_OK) {
      truncateArgTypes(pCtx->hArgTypes, first);
      return QEL_E_OUTOFMEMORY;
    }
    return QEL_S_OK;
  });
  va_end(types);
  return result;
}

ExprOperand* QEL_STDCALL ExprLookUp(ExprContext* pCtx, const WCHAR* pszName) {
  ExprSymbol* symbol = findSymbol(pCtx, pszName);
  if (symbol) return &symbol->op;
  pCtx->pszErrText = pszName;
  return nullptr;
}

ExprOperand* QEL_STDCALL ExprVarLookUp(ExprContext* pCtx, const WCHAR* pszName) {
  ExprOperand* operand = ExprLookUp(pCtx, pszName);
  if (operand && operand->nStorage == EXS_Plain) return operand;
  pCtx->pszErrText = pszName;
  return nullptr;
}

const WCHAR* QEL_STDCALL ExprGetFirstVar(ExprContext* pCtx, ExprOperand** ppOperand, void** ppPosition) {
  return visit(static_cast<ExprSymbol*>(BTFirst(pCtx->hSymbols)), ppOperand, ppPosition);
}

const WCHAR* QEL_STDCALL ExprGetNextVar(ExprContext*, ExprOperand** ppOperand, void** ppPosition) {
  if (!*ppPosition) return nullptr;
  return visit(static_cast<ExprSymbol*>(BTNext(*ppPosition)), ppOperand, ppPosition);
}

}  // extern "C"
