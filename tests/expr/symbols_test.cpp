// Contexts and their symbol tables: definitions, conflicts, lookups,
// enumeration, the host's own scanner, and failed allocations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/ExprHost.h"
#include "frame/ResultCodes.h"

namespace {

using qel::test::ExprHost;
using qel::test::narrow;

TEST(ExprSymbols, NamesConflictAsTheCaseRuleSays) {
  LONG v = 0;
  for (ULONG upper : {0u, 1u}) {
    ExprHost host(upper);
    EXPECT_EQ(ExprDefineVar(&host.ctx, &v, QEL_W("Total"), EXT_Long), 0u);
    EXPECT_EQ(ExprDefineConst(&host.ctx, &v, QEL_W("TOTAL"), EXT_Long), upper ? QEL_TYPE_E_NAMECONFLICT : 0u);
    EXPECT_EQ(ExprDefineVar(&host.ctx, &v, QEL_W("Total"), EXT_Long), QEL_TYPE_E_NAMECONFLICT);
    EXPECT_EQ(ExprDefineFn(&host.ctx, &v, QEL_W("x"), EXT_Long, 0), QEL_TYPE_E_NAMECONFLICT);
    EXPECT_EQ(ExprDefineVar(&host.ctx, &v, QEL_W("f"), EXT_Long), QEL_TYPE_E_NAMECONFLICT);
    EXPECT_EQ(ExprDefineVar(&host.ctx, &v, nullptr, EXT_Long), QEL_E_INVALIDARG);
    EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("total")) != nullptr, upper != 0);
    EXPECT_EQ(host.compile(QEL_W("TOTAL + 1")), 0u);  // the constant, or the variable itself
  }
}

TEST(ExprSymbols, LookUpsAndEnumeration) {
  ExprHost host;
  ExprOperand* k = ExprLookUp(&host.ctx, QEL_W("k"));
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->pValue, &host.k);
  EXPECT_EQ(k->nStorage, EXS_Constant);
  EXPECT_EQ(k->nLink, -1);
  EXPECT_EQ(ExprVarLookUp(&host.ctx, QEL_W("k")), nullptr);
  EXPECT_EQ(ExprVarLookUp(&host.ctx, QEL_W("f")), nullptr);
  EXPECT_EQ(narrow(host.ctx.pszErrText), "f");
  EXPECT_EQ(ExprVarLookUp(&host.ctx, QEL_W("x"))->pValue, &host.x);
  EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("nothing")), nullptr);
  EXPECT_EQ(narrow(host.ctx.pszErrText), "nothing");

  std::string names;
  ExprOperand* op = nullptr;
  void* pos = nullptr;
  for (const WCHAR* name = ExprGetFirstVar(&host.ctx, &op, &pos); name;
       name = ExprGetNextVar(&host.ctx, &op, &pos))
    names += narrow(name) + (op->nStorage == EXS_Function ? "() " : " ");
  EXPECT_EQ(names, "a any() b bf c d f() g() k n s t u x ");
  EXPECT_EQ(ExprGetNextVar(&host.ctx, &op, &pos), nullptr);

  ExprContext empty;
  ASSERT_EQ(ExprInit(&empty, 8, 8, 0, 0, nullptr, 1, nullptr, nullptr, nullptr, 0, nullptr), 0u);
  EXPECT_EQ(ExprGetFirstVar(&empty, &op, &pos), nullptr);
  ExprRelease(&empty);
}

TEST(ExprSymbols, ArgumentTypeListsEndWithZero) {
  ExprHost host;
  // f (Long, Double), g (), any (Unknown): each list followed by its 0.
  std::vector<LONG> types;
  for (LONG i = 0; i < DAGetSize(host.ctx.hArgTypes); ++i)
    types.push_back(*static_cast<LONG*>(DAGetElem(host.ctx.hArgTypes, i)));
  EXPECT_EQ(types, (std::vector<LONG>{EXT_Long, EXT_Double, 0, 0, EXT_Unknown, 0}));
  EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("f"))->nLink, 0);
  EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("g"))->nLink, 3);
  EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("any"))->nLink, 4);
  EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("g"))->nStorage, EXS_Function);
}

TEST(ExprSymbols, UserPointerAndInitialState) {
  ExprHost host;
  int data = 0;
  EXPECT_EQ(ExprGetUserPtr(&host.ctx), nullptr);
  EXPECT_EQ(ExprSetUserPtr(&host.ctx, &data), nullptr);
  EXPECT_EQ(ExprSetUserPtr(&host.ctx, nullptr), &data);
  EXPECT_EQ(host.ctx.nActExpr, EXPR_NONE);
  EXPECT_EQ(host.ctx.pPool, nullptr);
  EXPECT_EQ(host.ctx.bXRef, 0);
}

// The host's own scanner, reached through the three callbacks.
LONG_PTR QEL_CDECL hostNext(LONG_PTR, void* scanner) {
  return SymGetNextSym(static_cast<SymContext*>(scanner));
}
LONG_PTR QEL_CDECL hostSym(LONG_PTR, void* scanner) { return SymGetSym(static_cast<SymContext*>(scanner)); }
LONG_PTR QEL_CDECL hostText(LONG_PTR, void* scanner) {
  return reinterpret_cast<LONG_PTR>(SymGetAlpha(static_cast<SymContext*>(scanner)));
}

TEST(ExprSymbols, SymbolsFromTheHostsScanner) {
  SymContext scanner;
  ASSERT_EQ(SymInit(&scanner, 32, 64, 0, SYM_MODE_C), 0u);
  SymNewLine(&scanner, QEL_W("x = 2.5 + 'c' zz"));
  SymGetNextSym(&scanner);  // standing on the first symbol: no prefetch
  ExprContext ctx;
  ASSERT_EQ(ExprInit(&ctx, 8, 8, 0, SYM_MODE_C, QEL_W(""), 0, hostNext, hostSym, hostText, 42, &scanner), 0u);
  double x = 0;
  ASSERT_EQ(ExprDefineVar(&ctx, &x, QEL_W("x"), EXT_Double), 0u);
  LONG start = 0, type = 0;
  EXPECT_EQ(ExprCompile(&ctx, QEL_W("ignored"), &start, 0, nullptr, &type), QEL_E_SYNTAX_ERROR);
  EXPECT_EQ(narrow(ctx.pszErrText), "zz");
  EXPECT_EQ(ExprGetColNo(&ctx), 16u);  // read from the host's scanner
  EXPECT_EQ(ExprGetErrLen(&ctx), 2u);
  auto* literal = static_cast<ExprInstr*>(DAGetElem(ctx.hCode, 1));
  EXPECT_EQ(*static_cast<double*>(literal->op.pValue), 2.5);
  ExprRelease(&ctx);
  SymRelease(&scanner);
}

}  // namespace
