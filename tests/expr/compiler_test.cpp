// The compiler: the code of every construct, its result type, and every
// failure with its code, text and the scanner position it leaves.
#include <gtest/gtest.h>

#include "expr/ExprHost.h"
#include "frame/ResultCodes.h"

namespace {

using qel::test::ExprHost;
using qel::test::narrow;

struct CodeCase {
  const WCHAR* text;
  const char* code;
  LONG type;
  LONG required = 0;
};

// clang-format off
const CodeCase kCodeCases[] = {
  {QEL_W("x = a + 2 * b"), "x a 2 b MUL:Long ADD:Long ASS:Long@x END", EXT_Long},
  {QEL_W("d = n + 1.5"), "d n TO_DOUBLE:Long 1.5 ADD:Double ASS:Double@d END", EXT_Double},
  {QEL_W("f(n, 2.0)"), "n 2 f PAR:Double END", EXT_Double},
  {QEL_W("n < 3 && a"), "n 3 LT:Long a LAND:Long END", EXT_Long},
  {QEL_W("40000 - 50000"), "40000u 50000u SUB:ULong END", EXT_ULong},
  {QEL_W("70000 + 1"), "70000 1 ADD:Long END", EXT_Long},
  {QEL_W("c + n"), "c TO_LONG:Char n ADD:Long END", EXT_Long},
  {QEL_W("n + c"), "n c TO_LONG:Char ADD:Long END", EXT_Long},
  {QEL_W("n < d"), "n TO_DOUBLE:Long d LT:Double END", EXT_Long},
  {QEL_W("n + u"), "n TO_ULONG:Long u ADD:ULong END", EXT_ULong},
  {QEL_W("u + n"), "u n TO_ULONG:Long ADD:ULong END", EXT_ULong},
  {QEL_W("c + s"), "c TO_STRING:Char s ADD:String END", EXT_String},
  {QEL_W("s + c"), "s c TO_STRING:Char ADD:String END", EXT_String},
  {QEL_W("d & bf"), "d TO_BITFIELD:Double bf AND:Bit END", EXT_BitField},
  {QEL_W("bf | 1"), "bf 1 TO_BITFIELD:Long OR:Bit END", EXT_BitField},
  {QEL_W("x || d"), "x TO_DOUBLE:Long d LOR:Double END", EXT_Long},
  {QEL_W("x << 2.0"), "x 2 TO_LONG:Double SHL:Long END", EXT_Long},
  {QEL_W("c >> n"), "c n SHR:Char END", EXT_Char},
  {QEL_W("x == 1 | 2 ^ 3 & 4"), "x 1 EQU:Long 2 3 4 AND:Long XOR:Long OR:Long END", EXT_Long},
  {QEL_W("1 + 2 * 3 - 4 / 5 % 6"), "1 2 3 MUL:Long ADD:Long 4 5 DIV:Long 6 MOD:Long SUB:Long END", EXT_Long},
  {QEL_W("x >> 1 < 2 != 0"), "x 1 SHR:Long 2 LT:Long 0 NEQ:Long END", EXT_Long},
  {QEL_W("a > b || a <= b && a >= b"), "a b GT:Long a b LEQ:Long a b GEQ:Long LAND:Long LOR:Long END", EXT_Long},
  {QEL_W("a = b = 3"), "a b 3 ASS:Long@b ASS:Long@a END", EXT_Long},
  {QEL_W("(x) = 3"), "x 3 ASS:Long@x END", EXT_Long},
  {QEL_W("++x = 3"), "x PREINC:Long@x 3 ASS:Long@x END", EXT_Long},
  {QEL_W("--x"), "x PREDEC:Long@x END", EXT_Long},
  {QEL_W("x++"), "x POSTINC:Long END", EXT_Long},
  {QEL_W("d--"), "d POSTDEC:Double END", EXT_Double},
  {QEL_W("d += n"), "d n TO_DOUBLE:Long ADDASS:Double@d END", EXT_Double},
  {QEL_W("x -= 1"), "x 1 SUBASS:Long@x END", EXT_Long},
  {QEL_W("x *= 2"), "x 2 MULASS:Long@x END", EXT_Long},
  {QEL_W("x /= 2"), "x 2 DIVASS:Long@x END", EXT_Long},
  {QEL_W("x %= 2"), "x 2 MODASS:Long@x END", EXT_Long},
  {QEL_W("x <<= 2.5"), "x 2.5 TO_LONG:Double SHLASS:Long@x END", EXT_Long},
  {QEL_W("c >>= 1"), "c 1 SHRASS:Char@c END", EXT_Char},
  {QEL_W("x |= c"), "x c TO_LONG:Char ORASS:Long@x END", EXT_Long},
  {QEL_W("x &= 1"), "x 1 ANDASS:Long@x END", EXT_Long},
  {QEL_W("x ^= 1"), "x 1 XORASS:Long@x END", EXT_Long},
  {QEL_W("c = 65"), "c 65 TO_CHAR:Long ASS:Char@c END", EXT_Char},
  {QEL_W("s += 'a'"), "s 'a' TO_STRING:Char ADDASS:String@s END", EXT_String},
  {QEL_W("t = t + t - t"), "t t t ADD:Date t SUB:Date ASS:Date@t END", EXT_Date},
  {QEL_W("-x"), "x NEG:Long END", EXT_Long},
  {QEL_W("+c"), "c POS:Char END", EXT_Char},
  {QEL_W("!d"), "d LNOT:Double END", EXT_Long},
  {QEL_W("~u"), "u NOT:ULong END", EXT_ULong},
  {QEL_W("*x"), "x DRF:Long END", EXT_Long},
  {QEL_W("&x"), "x ADR:Long END", EXT_Long},
  {QEL_W("- -x"), "x NEG:Long NEG:Long END", EXT_Long},
  {QEL_W("s[1]"), "s 1 IDX:String END", EXT_Char},
  {QEL_W("x[1] = 2"), "x 1 IDX:Long@x 2 ASS:Long@x END", EXT_Long},
  {QEL_W("d[c]"), "d c TO_LONG:Char IDX:Double@d END", EXT_Double},
  {QEL_W("bf[3]"), "bf 3 IDX:Bit END", EXT_Long},
  {QEL_W("f(1,2,)"), "1 2 TO_DOUBLE:Long f PAR:Double END", EXT_Double},
  {QEL_W("f(g(), f(1, d))"), "g PAR:Long 1 d f PAR:Double f PAR:Double END", EXT_Double},
  {QEL_W("any(s)"), "s any PAR:Long END", EXT_Long},
  {QEL_W("g() + 1"), "g PAR:Long 1 ADD:Long END", EXT_Long},
  {QEL_W("a.b"), "a b DFA:Long END", EXT_Long},
  {QEL_W("a->b"), "a b IFA:Long END", EXT_Long},
  {QEL_W("'a'"), "'a' END", EXT_Char},
  {QEL_W("\"hi\" + s"), "\"hi\" s ADD:String END", EXT_String},
  {QEL_W("k + 1"), "k 1 ADD:Long END", EXT_Long},
  {QEL_W("x"), "x TO_DOUBLE:Long END", EXT_Double, EXT_Double},
  {QEL_W("c"), "c TO_STRING:Char END", EXT_String, EXT_String},
  {QEL_W("d"), "d END", EXT_Double, EXT_Double},
};
// clang-format on

TEST(ExprCompile, CodeAndResultTypeOfEachConstruct) {
  for (const CodeCase& c : kCodeCases) {
    ExprHost host;
    SCOPED_TRACE(narrow(c.text));
    ASSERT_EQ(host.compile(c.text, c.required), 0u)
        << narrow(host.ctx.pszErrText ? host.ctx.pszErrText : QEL_W(""));
    EXPECT_EQ(host.code(), c.code);
    EXPECT_EQ(host.type, c.type);
    EXPECT_EQ(host.start, 0);
  }
}

struct ErrorCase {
  const WCHAR* text;
  DWORD code;
  const WCHAR* errText;  // null: left as it was
  ULONG column;          // ExprGetColNo
  ULONG length;          // ExprGetErrLen
  LONG required = 0;
};

// clang-format off
const ErrorCase kErrorCases[] = {
  {QEL_W("3 = x"), QEL_E_LVALUE_REQUIRED, nullptr, 3, 1},
  {QEL_W("x++ = 3"), QEL_E_LVALUE_REQUIRED, nullptr, 5, 1},
  {QEL_W("g() = 1"), QEL_E_LVALUE_REQUIRED, nullptr, 5, 1},
  {QEL_W("k = 1"), QEL_E_LVALUE_REQUIRED, nullptr, 3, 1},
  {QEL_W("k++"), QEL_E_LVALUE_REQUIRED, nullptr, 3, 2},
  {QEL_W("++3 + 1"), QEL_E_LVALUE_REQUIRED, nullptr, 5, 1},
  {QEL_W("s[1] = 'a'"), QEL_E_LVALUE_REQUIRED, nullptr, 6, 1},
  {QEL_W("bf[1] = 1"), QEL_E_LVALUE_REQUIRED, nullptr, 7, 1},
  {QEL_W("(x"), QEL_E_RPAREN_REQUIRED, QEL_W(""), 2, 0},
  {QEL_W("f(1, 2,"), QEL_E_RPAREN_REQUIRED, QEL_W(""), 7, 0},
  {QEL_W("f(1, 2"), QEL_E_COMMA_REQUIRED, QEL_W(""), 6, 0},
  {QEL_W("f 1"), QEL_E_LPAREN_REQUIRED, QEL_W("1"), 3, 1},
  {QEL_W("f = 1"), QEL_E_LPAREN_REQUIRED, QEL_W("="), 3, 1},
  {QEL_W("x[1"), QEL_E_RBRACKET_REQUIRED, QEL_W(""), 3, 0},
  {QEL_W("x(1)"), QEL_E_FUNCTION_REQUIRED, QEL_W("("), 2, 1},
  {QEL_W("g()(1)"), QEL_E_FUNCTION_REQUIRED, QEL_W("("), 4, 1},
  {QEL_W("x.1"), QEL_E_IDENTIFIER_REQUIRED, QEL_W("1"), 3, 1},
  {QEL_W("x + 0x"), QEL_E_ILLEGAL_NUMBER, QEL_W("0x"), 6, 2},
  {QEL_W("'ab'"), QEL_E_ILLEGAL_CHARACTER, QEL_W("ab"), 4, 2},
  {QEL_W("s + \"abc"), QEL_E_ILLEGAL_STRING, QEL_W("abc"), 8, 3},
  {QEL_W("x +"), QEL_E_OPERAND_REQUIRED, QEL_W(""), 3, 0},
  {QEL_W(""), QEL_E_OPERAND_REQUIRED, QEL_W(""), 0, 0},
  {QEL_W("x * )"), QEL_E_OPERAND_REQUIRED, QEL_W(")"), 5, 1},
  {QEL_W("f(1 2)"), QEL_E_COMMA_REQUIRED, QEL_W("2"), 5, 1},
  {QEL_W("x y"), QEL_E_SYNTAX_ERROR, QEL_W("y"), 3, 1},
  {QEL_W("x ~= 1"), QEL_E_SYNTAX_ERROR, QEL_W("~="), 4, 2},
  {QEL_W("a = 1, b = 2"), QEL_E_SYNTAX_ERROR, QEL_W(","), 6, 1},
  {QEL_W("x + s"), QEL_DISP_E_TYPEMISMATCH, QEL_W("EXT_Long <-> EXT_String"), 5, 0},
  {QEL_W("s = 1"), QEL_DISP_E_TYPEMISMATCH, QEL_W("EXT_String <-> EXT_Long"), 5, 0},
  {QEL_W("t + 1"), QEL_DISP_E_TYPEMISMATCH, QEL_W("EXT_Date <-> EXT_Long"), 5, 0},
  {QEL_W("x = g"), QEL_E_LPAREN_REQUIRED, QEL_W(""), 5, 0},
  {QEL_W("s"), QEL_DISP_E_TYPEMISMATCH, QEL_W("EXT_Long <-> EXT_String"), 1, 0, EXT_Long},
  {QEL_W("x"), QEL_DISP_E_TYPEMISMATCH, QEL_W("EXT_Date <-> EXT_Long"), 1, 0, EXT_Date},
  {QEL_W("zz + 1"), QEL_DISP_E_UNKNOWNNAME, QEL_W("zz"), 2, 2},
  {QEL_W("f(g(), f(zz, 1))"), QEL_DISP_E_UNKNOWNNAME, QEL_W("zz"), 11, 2},
  {QEL_W("f(g(1), 2)"), QEL_DISP_E_BADPARAMCOUNT, QEL_W("1"), 5, 1},
  {QEL_W("s + \"\u00e9\U0001F600\" yy"), QEL_E_SYNTAX_ERROR, QEL_W("yy"), 12, 2},
  {QEL_W("s + '\u00e9' - 1"), QEL_DISP_E_TYPEMISMATCH, QEL_W("EXT_String <-> EXT_Long"), 11, 0},
  {QEL_W("x.zz"), QEL_DISP_E_UNKNOWNNAME, QEL_W("zz"), 4, 2},
  {QEL_W("f(1)"), QEL_DISP_E_BADPARAMCOUNT, QEL_W(")"), 4, 1},
  {QEL_W("f(1,2,3)"), QEL_DISP_E_BADPARAMCOUNT, QEL_W("3"), 7, 1},
  {QEL_W("g(1)"), QEL_DISP_E_BADPARAMCOUNT, QEL_W("1"), 3, 1},
  {QEL_W("f(s, 1)"), QEL_DISP_E_TYPEMISMATCH, QEL_W("EXT_Long <-> EXT_String"), 4, 1},
};
// clang-format on

TEST(ExprCompile, EveryFailureWithItsTextAndPosition) {
  static const WCHAR kUntouched[] = QEL_W("untouched");
  for (const ErrorCase& c : kErrorCases) {
    ExprHost host;
    SCOPED_TRACE(narrow(c.text));
    host.ctx.pszErrText = kUntouched;
    EXPECT_EQ(host.compile(c.text, c.required), c.code);
    EXPECT_EQ(narrow(host.ctx.pszErrText), narrow(c.errText ? c.errText : kUntouched));
    EXPECT_EQ(ExprGetColNo(&host.ctx), c.column);
    EXPECT_EQ(ExprGetErrLen(&host.ctx), c.length);
    EXPECT_EQ(host.type, EXT_Void);
    // The failed code ends with END all the same, and the next compile
    // starts behind it.
    LONG size = DAGetSize(host.ctx.hCode);
    EXPECT_EQ(static_cast<ExprInstr*>(DAGetElem(host.ctx.hCode, size - 1))->nOpcode, EOP_END);
    EXPECT_EQ(ExprGetActExpr(&host.ctx), 0);
    ASSERT_EQ(host.compile(QEL_W("x")), 0u);
    EXPECT_EQ(host.start, size);
    EXPECT_EQ(ExprGetActExpr(&host.ctx), size);
  }
}

TEST(ExprCompile, ConstantFlagAndUseCounts) {
  ExprHost host;
  EXPECT_EQ(ExprGetActExpr(&host.ctx), EXPR_NONE);
  ASSERT_EQ(host.compile(QEL_W("1 + 2.5 * 'c'")), 0u);
  EXPECT_EQ(host.constant, 1);
  ASSERT_EQ(host.compile(QEL_W("x + x * f(x, 1)")), 0u);
  EXPECT_EQ(host.constant, 0);
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
    return std::basic_string<WCHAR>(size_t(depth), u'(') + QEL_W("x") +
           std::basic_string<WCHAR>(size_t(depth), u')');
  };
  EXPECT_EQ(host.compile(nested(200)), 0u);
  EXPECT_EQ(host.code(), "x END");
  EXPECT_EQ(host.compile(nested(100000)), QEL_E_OUTOFMEMORY);
  EXPECT_EQ(host.compile(std::basic_string<WCHAR>(100000, u'-') + QEL_W("x")), QEL_E_OUTOFMEMORY);
  EXPECT_EQ(host.compile(QEL_W("x")), 0u);  // and the context carries on

  // A long flat sum: every term keeps its value while the pool grows.
  std::basic_string<WCHAR> sum = QEL_W("x");
  for (int i = 1; i <= 5000; ++i)
    sum += QEL_W(" + ") + std::basic_string<WCHAR>(qel::test::wprintf(QEL_W("%d"), i));
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
  std::basic_string<WCHAR> text = QEL_W("1");
  for (int i = 0; i < 63; ++i) text += QEL_W(" + 1");
  ASSERT_EQ(host.compile(text), 0u);
  ASSERT_EQ(host.ctx.nPoolUsed, 127u * 8);
  EXPECT_EQ(host.ctx.nPoolSize, 1024u);
  ASSERT_EQ(host.compile(QEL_W("2")), 0u);
  EXPECT_EQ(host.ctx.nPoolSize, 2048u);
  EXPECT_EQ(host.code(), "2 END");
  EXPECT_EQ(host.render(0).substr(0, 8), "1 1 ADD:");
}

}  // namespace

namespace {

TEST(ExprOpcodes, DisplayTexts) {
  using qel::expr::opcodeDisplayText;
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_ADD)), "'+'        (EOP_ADD)");
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_NOP)), "           (EOP_NOP)");
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_END)), "\\u0009\\u0009   (EOP_END)");
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_TO_BITFIELD)), "->BITFIELD (EOP(LPCTSTR)_TO_BITFIELD)");
  EXPECT_EQ(narrow(opcodeDisplayText(EOP_SHLASS)), "'<<='      (EOP_SHLASS)");
  EXPECT_EQ(opcodeDisplayText(EOP_LAST + 1), nullptr);
}

}  // namespace
