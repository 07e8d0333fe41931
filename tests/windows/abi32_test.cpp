/* What only the 32-bit Windows build can show: the standard-call exports
   called by their decorated names with the argument sizes of the export
   list (a wrong size would unbalance the stack over the many calls below),
   and the record layouts a 32-bit host declares, field by field. */
#include <gtest/gtest.h>

#include <cstddef>

#include "QELBase.h"
#include "support/Platform.h"
#include "support/ScratchRegistry.h"

namespace {

const qel::test::ScratchRegistry scratch;

// Sizes and offsets as a 32-bit host lays the records out: 4-byte fields
// and pointers, the scanner's double on an 8-byte boundary.
static_assert(sizeof(ExprOperand) == 20 && offsetof(ExprOperand, nUses) == 16);
static_assert(sizeof(ExprInstr) == 24 && offsetof(ExprInstr, op) == 4);
static_assert(offsetof(SymContext, sShort) == 16 && offsetof(SymContext, usUShort) == 18);
static_assert(offsetof(SymContext, dDouble) == 32 && offsetof(SymContext, nColumnNo) == 40);
static_assert(offsetof(SymContext, pKeywords) == 72 && offsetof(SymContext, chPendingQuote) == 88);
static_assert(sizeof(SymContext) == 96);
static_assert(offsetof(ExprContext, nCurType) == 24 && offsetof(ExprContext, pszErrText) == 28);
static_assert(offsetof(ExprContext, pStack) == 56 && offsetof(ExprContext, nActExpr) == 68);
static_assert(offsetof(ExprContext, scanner) == 72 && offsetof(ExprContext, pUser) == 168);
static_assert(offsetof(ExprContext, pfnGetAlpha) == 196 && sizeof(ExprContext) == 200);
static_assert(sizeof(QELFileObject) == 36 && offsetof(QELFileObject, pBuffer) == 20);
static_assert(offsetof(QELFileObject, bBomPending) == 32);
static_assert(offsetof(TraceObject, szLastFileName) == 510 && offsetof(TraceObject, szBaseName) == 1020);
static_assert(offsetof(TraceObject, dwLevelMask) == 1532 && offsetof(TraceObject, adwFacility) == 1536);
static_assert(offsetof(TraceObject, bFile) == 2560 && offsetof(TraceObject, bWinNT) == 2576);
static_assert(offsetof(TraceObject, szTracePath) == 2580 && offsetof(TraceObject, szMailslot) == 2780);
static_assert(offsetof(TraceObject, szEventSource) == 2980 && offsetof(TraceObject, awEventType) == 3040);
static_assert(offsetof(TraceObject, nDays) == 3052 && offsetof(TraceObject, nSizeKB) == 3056);
static_assert(offsetof(TraceObject, csLock) == 3060 && sizeof(TraceObject) == 3084);
static_assert(sizeof(RegExportParams) == 20);

template <class F>
F entry(HMODULE module, const char* name) {
  FARPROC p = GetProcAddress(module, name);
  EXPECT_NE(p, nullptr) << name;
  return reinterpret_cast<F>(reinterpret_cast<void*>(p));
}

TEST(StandardCallExports, CalledByDecoratedNames) {
  HMODULE dll = LoadLibraryA(qel::test::nativePath(QELBASE_LIBRARY_FILE).c_str());
  ASSERT_NE(dll, nullptr);
  using Init = DWORD(__stdcall*)(ExprContext*, ULONG, ULONG, ULONG, LONG, const WCHAR*, LONG, ExprScanFn,
                                 ExprScanFn, ExprScanFn, LONG_PTR, void*);
  using DefineVar = DWORD(__stdcall*)(ExprContext*, void*, const WCHAR*, LONG);
  using Compile = DWORD(__stdcall*)(ExprContext*, const WCHAR*, LONG*, LONG, LONG*, LONG*);
  using Evaluate = DWORD(__stdcall*)(ExprContext*, LONG, LONG_PTR);
  using PopResult = void*(__stdcall*)(ExprContext*);
  using Release = DWORD(__stdcall*)(ExprContext*);
  using OpenKey = LONG(__stdcall*)(HKEY, LPCWSTR, REGSAM, PHKEY);
  using QueryDWord = LONG(__stdcall*)(HKEY, LPCWSTR, LPDWORD, DWORD);
  using CloseKey = LONG(__stdcall*)(HKEY);
  using LocalPorts = DWORD(__stdcall*)();
  auto init = entry<Init>(dll, "_ExprInit@48");
  auto defineVar = entry<DefineVar>(dll, "_ExprDefineVar@16");
  auto compile = entry<Compile>(dll, "_ExprCompile@24");
  auto evaluate = entry<Evaluate>(dll, "_ExprEvaluate@12");
  auto popResult = entry<PopResult>(dll, "_ExprPopResult@4");
  auto release = entry<Release>(dll, "_ExprRelease@4");
  auto openKey = entry<OpenKey>(dll, "_OpenRegKey@16");
  auto queryDWord = entry<QueryDWord>(dll, "_QueryRegEntryDWord@16");
  auto closeKey = entry<CloseKey>(dll, "_CloseRegKey@4");
  auto localPorts = entry<LocalPorts>(dll, "_GetLocalPorts@0");
  ASSERT_TRUE(init && defineVar && compile && evaluate && popResult && release && openKey && queryDWord &&
              closeKey && localPorts);

  ExprContext ctx{};
  ASSERT_EQ(init(&ctx, 64, 256, 0, 0, nullptr, 1, nullptr, nullptr, nullptr, 0, nullptr), 0u);
  LONG n = 0, start = 0, type = 0;
  ASSERT_EQ(defineVar(&ctx, &n, L"n", EXT_Long), 0u);
  ASSERT_EQ(compile(&ctx, L"n = n + 3", &start, 0, nullptr, &type), 0u);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(evaluate(&ctx, start, 0), 0u);
    ASSERT_EQ(*static_cast<LONG*>(popResult(&ctx)), 3 * (i + 1));
  }
  EXPECT_EQ(release(&ctx), 0u);

  for (int i = 0; i < 100; ++i) {
    HKEY key = nullptr;
    ASSERT_EQ(openKey(HKEY_LOCAL_MACHINE, L"SOFTWARE", KEY_READ, &key), ERROR_SUCCESS);
    DWORD value = 0;
    queryDWord(key, L"QELBase ABI test: no such value", &value, 0x1234);
    ASSERT_EQ(value, 0x1234u);
    ASSERT_EQ(closeKey(key), ERROR_SUCCESS);
    localPorts();
  }
  FreeLibrary(dll);
}

}  // namespace
