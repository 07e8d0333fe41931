// Contexts and their symbol tables (definitions, conflicts, lookups,
// enumeration, the host's own scanner), and cross-references: which
// expressions modify which variables, and the dependency evaluation built
// on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "expr/ExprHost.h"
#include "frame/ResultCodes.h"
#include "support/CaseFile.h"

namespace {

using qel::test::ExprHost;
using qel::test::narrow;
using qel::test::WString;

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

LONG QEL_CDECL tick(ExprContext* ctx, LONG_PTR) {
  ++*static_cast<int*>(ExprGetUserPtr(ctx));
  return 0;
}

struct XRefHost : ExprHost {
  XRefHost() {
    ExprSetUserPtr(&ctx, &ticks);
    EXPECT_EQ(ExprDefineFn(&ctx, (void*)&tick, QEL_W("tick"), EXT_Long, 0), 0u);
  }
  // Compiles the set with recording on and builds the lists.
  std::vector<LONG> compileSet(const std::vector<const WCHAR*>& texts) {
    std::vector<LONG> starts;
    EXPECT_EQ(ExprXRefOn(&ctx), 0u);
    for (const WCHAR* text : texts) {
      EXPECT_EQ(compile(text), 0u) << narrow(text);
      starts.push_back(start);
    }
    ExprXRefOff(&ctx);
    EXPECT_EQ(ExprXRef(&ctx), 0u);
    return starts;
  }
  LONG evaluate(LONG at) {
    LONG depth = ctx.nStackDepth;
    EXPECT_EQ(ExprEvaluate(&ctx, at, 0), 0u);
    EXPECT_EQ(ctx.nStackDepth, depth + 1);  // the nested runs leave nothing
    return *static_cast<LONG*>(ExprPopResult(&ctx));
  }
  std::vector<LONG> list() {
    std::vector<LONG> out;
    for (LONG i = 0; i < DAGetSize(ctx.hXRefList); ++i)
      out.push_back(*static_cast<LONG*>(DAGetElem(ctx.hXRefList, i)));
    return out;
  }
  int ticks = 0;
};

TEST(ExprXRef, CasesOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("expr/xref.txt")) {
    SCOPED_TRACE(c.where);
    XRefHost host;
    std::vector<WString> texts;
    for (size_t at = 0, end; at <= c[0].size(); at = end + 3) {
      end = std::min(c[0].find(" ; ", at), c[0].size());
      texts.push_back(qel::test::unescape(c[0].substr(at, end - at)));
    }
    std::vector<const WCHAR*> pointers;
    for (const WString& text : texts) pointers.push_back(text.c_str());
    const std::vector<LONG> starts = host.compileSet(pointers);
    std::string results;
    std::istringstream runs(c[1]);
    for (size_t n; runs >> n;)
      results += (results.empty() ? "" : " ") + std::to_string(host.evaluate(starts.at(n - 1)));
    EXPECT_EQ(results, c[2]);
    std::string held;
    for (const std::string& item : {std::string("x=") + std::to_string(host.x), "a=" + std::to_string(host.a),
                                    "b=" + std::to_string(host.b), "n=" + std::to_string(host.n),
                                    "ticks=" + std::to_string(host.ticks)})
      if (c[3].find(item.substr(0, item.find('=') + 1)) != std::string::npos)
        held += (held.empty() ? "" : " ") + item;
    EXPECT_EQ(held, c[3]);
  }
}

TEST(ExprXRef, ListsAndLinks) {
  XRefHost host;
  // a = a = 2 lists its start once.
  auto s = host.compileSet({QEL_W("x = 1"), QEL_W("n = x++"), QEL_W("x = n = a = a = 2")});
  ASSERT_EQ(s, (std::vector<LONG>{0, 4, 9}));
  ExprOperand* x = ExprLookUp(&host.ctx, QEL_W("x"));
  ExprOperand* n = ExprLookUp(&host.ctx, QEL_W("n"));
  ExprOperand* a = ExprLookUp(&host.ctx, QEL_W("a"));
  std::vector<LONG> lists = host.list();
  auto listOf = [&](const ExprOperand* op) {
    std::vector<LONG> out;
    for (LONG i = op->nLink; lists[size_t(i)] != -1; ++i) out.push_back(lists[size_t(i)]);
    return out;
  };
  EXPECT_EQ(listOf(x), (std::vector<LONG>{0, 4, 9}));
  EXPECT_EQ(listOf(n), (std::vector<LONG>{4, 9}));
  EXPECT_EQ(listOf(a), (std::vector<LONG>{9}));
  EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("b"))->nLink, -1);
  EXPECT_EQ(lists.size(), 4u + 3u + 2u);
  // Every push of x carries x's list, also in code compiled later.
  EXPECT_EQ(host.compile(QEL_W("x + 0")), 0u);
  EXPECT_EQ(static_cast<ExprInstr*>(DAGetElem(host.ctx.hCode, host.start))->op.nLink, x->nLink);
  EXPECT_EQ(host.evaluate(host.start), 2);

  // Another build appends behind the old lists and moves the links.
  LONG before = LONG(lists.size());
  EXPECT_EQ(ExprXRef(&host.ctx), 0u);
  EXPECT_EQ(x->nLink >= before, true);
  EXPECT_EQ(LONG(host.list().size()), 2 * before);
}

TEST(ExprXRef, NothingRecordedAndFailures) {
  XRefHost host;
  ASSERT_EQ(host.compile(QEL_W("x = 1")), 0u);  // recording off
  EXPECT_EQ(ExprXRef(&host.ctx), 0u);
  EXPECT_EQ(host.list(), (std::vector<LONG>{-1}));
  EXPECT_EQ(static_cast<ExprInstr*>(DAGetElem(host.ctx.hCode, 0))->op.nLink, -1);

  // A failing modifier fails the expression that reads the variable.
  XRefHost failing;
  auto s = failing.compileSet({QEL_W("x = 1 / b"), QEL_W("a = x")});  // b is 0
  EXPECT_EQ(ExprEvaluate(&failing.ctx, s[1], 0), QEL_DISP_E_DIVBYZERO);
}

}  // namespace
