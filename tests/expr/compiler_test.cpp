// The compiler: the code of every construct, its result type, and every
// failure with its code, text and the scanner position it leaves.
#include <gtest/gtest.h>

#include "expr/ExprHost.h"
#include "frame/ResultCodes.h"
#include "support/CaseFile.h"

namespace {

using qel::test::WString;

using qel::test::ExprHost;
using qel::test::narrow;
using qel::test::shortTypeName;

LONG typeNamed(const std::string& name) {
  for (LONG type = EXT_Char; type <= EXT_Unknown; ++type)
    if (name == shortTypeName(type)) return type;
  return 0;
}

// What a compile gave: the type and code, or the failure with its text and
// position.
std::string compiled(ExprHost& host, DWORD rc, const WCHAR* untouched) {
  if (rc == 0)
    return std::string(shortTypeName(host.type)) + (host.constant == 1 ? " const: " : ": ") + host.code();
  char code[16];
  std::snprintf(code, sizeof code, "E:%08X ", unsigned(rc));
  const std::string text = host.ctx.pszErrText == untouched ? "-" : '"' + narrow(host.ctx.pszErrText) + '"';
  return code + text + "@" + std::to_string(ExprGetColNo(&host.ctx)) + "+" +
         std::to_string(ExprGetErrLen(&host.ctx));
}

TEST(ExprCompile, CasesOfTheCaseFile) {
  static const WCHAR kUntouched[] = QEL_W("untouched");
  for (const qel::test::Case& c : qel::test::readCases("expr/compile.txt")) {
    SCOPED_TRACE(c.where);
    ExprHost host;
    host.ctx.pszErrText = kUntouched;
    const DWORD rc = host.compile(qel::test::unescape(c[0]), typeNamed(c[1]));
    EXPECT_EQ(compiled(host, rc, kUntouched), c[2]);
    if (rc == 0) {
      EXPECT_EQ(host.start, 0);
      continue;
    }
    // A failed expression ends with END all the same, and the next compile
    // starts behind it.
    EXPECT_EQ(host.type, EXT_Void);
    LONG size = DAGetSize(host.ctx.hCode);
    EXPECT_EQ(static_cast<ExprInstr*>(DAGetElem(host.ctx.hCode, size - 1))->nOpcode, EOP_END);
    EXPECT_EQ(ExprGetActExpr(&host.ctx), 0);
    ASSERT_EQ(host.compile(QEL_W("x")), 0u);
    EXPECT_EQ(host.start, size);
    EXPECT_EQ(ExprGetActExpr(&host.ctx), size);
  }
}

TEST(ExprCompile, UseCounts) {
  ExprHost host;
  EXPECT_EQ(ExprGetActExpr(&host.ctx), EXPR_NONE);
  ASSERT_EQ(host.compile(QEL_W("x + x * f(x, 1)")), 0u);
  EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("x"))->nUses, 3);
  EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("f"))->nUses, 1);
  ASSERT_EQ(host.compile(QEL_W("s.n")), 0u);  // a member counts as a use, not as an operand
  EXPECT_EQ(ExprLookUp(&host.ctx, QEL_W("n"))->nUses, 1);
  LONG start = 0;
  EXPECT_EQ(ExprCompile(&host.ctx, QEL_W("2"), &start, 0, nullptr, nullptr), 0u);  // both outs optional
}

TEST(ExprCompile, TerminatorsEndAnExpression) {
  ExprHost host(0, QEL_W(";,"));
  EXPECT_EQ(host.compile(QEL_W("x; y")), 0u);
  EXPECT_EQ(SymGetSym(&host.ctx.scanner), LONG(';'));
  EXPECT_EQ(ExprGetColNo(&host.ctx), 2u);
  EXPECT_EQ(host.compile(QEL_W("a = 1, b = 2")), 0u);
  EXPECT_EQ(host.code(), "a 1 ASS:Long@a END");
  EXPECT_EQ(host.compile(QEL_W("x : 1")), QEL_E_SYNTAX_ERROR);
  EXPECT_EQ(host.compile(QEL_W("f(1; 2)")), QEL_E_COMMA_REQUIRED);
}

TEST(ExprCompile, NestingDepthAndLongExpressions) {
  ExprHost host;
  auto nested = [](int depth) {
    return WString(size_t(depth), u'(') + QEL_W("x") + WString(size_t(depth), u')');
  };
  EXPECT_EQ(host.compile(nested(200)), 0u);
  EXPECT_EQ(host.code(), "x END");
  EXPECT_EQ(host.compile(nested(100000)), QEL_E_OUTOFMEMORY);
  EXPECT_EQ(host.compile(WString(100000, u'-') + QEL_W("x")), QEL_E_OUTOFMEMORY);
  EXPECT_EQ(host.compile(QEL_W("x")), 0u);  // and the context carries on

  // A long flat sum: every term keeps its value while the pool grows.
  WString sum = QEL_W("x");
  for (int i = 1; i <= 5000; ++i) sum += QEL_W(" + ") + WString(qel::test::wprintf(QEL_W("%d"), i));
  ASSERT_EQ(host.compile(sum), 0u);
  LONG total = 0;
  for (LONG i = host.start; i < DAGetSize(host.ctx.hCode); ++i) {
    auto* in = static_cast<ExprInstr*>(DAGetElem(host.ctx.hCode, i));
    if (in->nOpcode == EOP_NOP && in->op.pValue != &host.x) total += *static_cast<LONG*>(in->op.pValue);
  }
  EXPECT_EQ(total, 5000 * 5001 / 2);
  EXPECT_GE(host.ctx.nPoolSize, host.ctx.nPoolUsed);
  EXPECT_EQ(host.ctx.nPoolSize % 1024, 0u);
}

TEST(ExprCompile, PoolGrowsBeforeItIsFull) {
  ExprHost host;
  // Each literal and each ADD takes 8 bytes: 127 values leave exactly 8 free.
  WString text = QEL_W("1");
  for (int i = 0; i < 63; ++i) text += QEL_W(" + 1");
  ASSERT_EQ(host.compile(text), 0u);
  ASSERT_EQ(host.ctx.nPoolUsed, 127u * 8);
  EXPECT_EQ(host.ctx.nPoolSize, 1024u);
  ASSERT_EQ(host.compile(QEL_W("2")), 0u);
  EXPECT_EQ(host.ctx.nPoolSize, 2048u);
  EXPECT_EQ(host.code(), "2 END");
  EXPECT_EQ(host.render(0).substr(0, 8), "1 1 ADD:");
}

TEST(ExprOpcodes, DisplayTexts) {
  using qel::expr::opcodeDisplayText;
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_ADD)), "'+'        (EOP_ADD)");
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_NOP)), "           (EOP_NOP)");
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_END)), "{U+0009}{U+0009}   (EOP_END)");
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_TO_BITFIELD)), "->BITFIELD (EOP(LPCTSTR)_TO_BITFIELD)");
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_SHLASS)), "'<<='      (EOP_SHLASS)");
  EXPECT_EQ(opcodeDisplayText(EOP_LAST + 1), nullptr);
}

}  // namespace
