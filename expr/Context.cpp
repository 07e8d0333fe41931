/* An expression context's birth and death, and the host's user pointer. */
#include <qel/wcrt.h>

#include <cstring>

#include "datetime/DateTime.h"
#include "expr/EvaluationPlan.h"
#include "expr/ExprInternal.h"
#include "frame/Boundary.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"
#include "strings/StringObject.h"

namespace qel::expr {

const ExprOperand kNotLValue = {nullptr, EXT_Void, EXS_Constant, 0, 0};

const WCHAR* typeName(LONG type) {
  static const WCHAR* const kNames[] = {QEL_W("EXT_Void"),   QEL_W("EXT_Char"),   QEL_W("EXT_Long"),
                                        QEL_W("EXT_ULong"),  QEL_W("EXT_Double"), QEL_W("EXT_BitField"),
                                        QEL_W("EXT_String"), QEL_W("EXT_Date"),   QEL_W("EXT_Unknown")};
  return type >= EXT_Void && type <= EXT_Unknown ? kNames[type] : kNames[EXT_Unknown];
}

}  // namespace qel::expr

namespace {

using namespace qel::expr;

LONG QEL_CDECL compareNamesExactly(const void* probe, const void* elem) {
  return wcscmp(static_cast<const ExprSymbol*>(probe)->pszName,
                static_cast<const ExprSymbol*>(elem)->pszName);
}

// Folds to lower case as the runtime's case-insensitive wide comparison does,
// so "_" sorts before letters.
LONG QEL_CDECL compareNamesIgnoringCase(const void* probe, const void* elem) {
  const WCHAR* a = static_cast<const ExprSymbol*>(probe)->pszName;
  const WCHAR* b = static_cast<const ExprSymbol*>(elem)->pszName;
  for (;; ++a, ++b) {
    LONG diff = LONG(towlower(*a)) - LONG(towlower(*b));
    if (diff != 0 || *a == 0) return diff;
  }
}

// By the modified symbol's address, then in recording order.
LONG QEL_CDECL compareXRefs(const void* probe, const void* elem) {
  const auto* a = static_cast<const ExprXRefEntry*>(probe);
  const auto* b = static_cast<const ExprXRefEntry*>(elem);
  auto pa = reinterpret_cast<uintptr_t>(a->pOperand), pb = reinterpret_cast<uintptr_t>(b->pOperand);
  if (pa != pb) return pa < pb ? -1 : 1;
  return a->nSeq - b->nSeq;
}

void destroyTables(ExprContext* ctx) {
  DADestroy(ctx->hXRefList);
  BTDestroy(ctx->hXRefTree, nullptr);
  DADestroy(ctx->hArgTypes);
  destroyCodeArray(ctx->hCode);
  BTDestroy(ctx->hSymbols, nullptr);
  ctx->hXRefList = nullptr;
  ctx->hXRefTree = nullptr;
  ctx->hArgTypes = ctx->hCode = nullptr;
  ctx->hSymbols = nullptr;
}

DWORD createTables(ExprContext* ctx, bool ignoreCase) {
  ctx->hCode = ctx->hArgTypes = ctx->hXRefList = nullptr;
  ctx->hXRefTree = nullptr;
  ctx->hSymbols =
      BTCreate(ignoreCase ? compareNamesIgnoringCase : compareNamesExactly, LONG(sizeof(ExprSymbol)));
  if (ctx->hSymbols) ctx->hCode = createCodeArray();
  if (ctx->hCode) ctx->hArgTypes = DACreate(LONG(sizeof(LONG)), 10);
  return ctx->hArgTypes ? createXRefTables(ctx) : QEL_E_OUTOFMEMORY;
}

}  // namespace

namespace qel::expr {

DWORD createXRefTables(ExprContext* ctx) {
  BTDestroy(ctx->hXRefTree, nullptr);
  DADestroy(ctx->hXRefList);
  ctx->hXRefList = nullptr;
  ctx->hXRefTree = BTCreate(compareXRefs, LONG(sizeof(ExprXRefEntry)));
  if (ctx->hXRefTree) ctx->hXRefList = DACreate(LONG(sizeof(LONG)), 10);
  return ctx->hXRefList ? QEL_S_OK : QEL_E_OUTOFMEMORY;
}

}  // namespace qel::expr

extern "C" {

DWORD QEL_STDCALL ExprInit(ExprContext* pCtx, ULONG nMaxIdentLen, ULONG nMaxAlphaLen,
                           ULONG bUpperCaseKeywords, LONG nMode, const WCHAR* pszTerminators, LONG bPrefetch,
                           ExprScanFn pfnNextSym, ExprScanFn pfnGetSym, ExprScanFn pfnGetAlpha,
                           LONG_PTR nCbArg1, void* pCbArg2) {
  return qel::guarded(QEL_E_OUTOFMEMORY, [&]() -> DWORD {
    // A failed init leaves nothing allocated behind, so the record may simply
    // be dropped or initialised again.
    if (createTables(pCtx, bUpperCaseKeywords != 0) != QEL_S_OK) {
      destroyTables(pCtx);
      return QEL_E_OUTOFMEMORY;
    }
    std::memset(&pCtx->scanner, 0, sizeof pCtx->scanner);
    pCtx->pszTerminators = nullptr;
    // The scanner's result is not used: a scanner left without its buffers
    // makes every compile fail with 0x8007000E instead.
    SymInit(&pCtx->scanner, nMaxIdentLen, nMaxAlphaLen, bUpperCaseKeywords, nMode);
    bool ready = true;
    if (pszTerminators) {
      size_t length = wcslen(pszTerminators);
      pCtx->pszTerminators = static_cast<WCHAR*>(qel::heapCalloc(length + 1, sizeof(WCHAR)));
      if (pCtx->pszTerminators) std::memcpy(pCtx->pszTerminators, pszTerminators, length * sizeof(WCHAR));
      ready = pCtx->pszTerminators != nullptr;
    }
    if (!ready) {
      SymRelease(&pCtx->scanner);
      destroyTables(pCtx);
      return QEL_E_OUTOFMEMORY;
    }
    pCtx->bPrefetch = bPrefetch;
    pCtx->pfnNextSym = pfnNextSym;
    pCtx->pfnGetSym = pfnGetSym;
    pCtx->pfnGetAlpha = pfnGetAlpha;
    pCtx->nCbArg1 = nCbArg1;
    pCtx->pCbArg2 = pCbArg2;
    pCtx->pPool = nullptr;
    pCtx->nPoolSize = pCtx->nPoolUsed = 0;
    pCtx->pStack = nullptr;
    pCtx->nStackDepth = pCtx->nStackSize = 0;
    pCtx->bXRef = 0;
    pCtx->pUser = nullptr;
    pCtx->nActExpr = EXPR_NONE;
    return QEL_S_OK;
  });
}

DWORD QEL_STDCALL ExprRelease(ExprContext* pCtx) {
  qel::guarded([&] {
    qel::heapFree(pCtx->pStack);
    qel::heapFree(pCtx->pPool);
    pCtx->pStack = nullptr;
    pCtx->pPool = nullptr;
    pCtx->nStackDepth = pCtx->nStackSize = 0;
    pCtx->nPoolSize = pCtx->nPoolUsed = 0;
    SymRelease(&pCtx->scanner);
    for (LONG i = 0, n = DAGetSize(pCtx->hCode); i < n; ++i) freeValue(instrAt(pCtx, i)->op);
    destroyTables(pCtx);
    qel::heapFree(pCtx->pszTerminators);
    pCtx->pszTerminators = nullptr;
  });
  return QEL_S_OK;
}

void* QEL_STDCALL ExprGetUserPtr(ExprContext* pCtx) { return pCtx->pUser; }

void* QEL_STDCALL ExprSetUserPtr(ExprContext* pCtx, void* pUser) {
  void* previous = pCtx->pUser;
  pCtx->pUser = pUser;
  return previous;
}

}  // extern "C"
