// The evaluator: operators by type, conversions, host calls, failures, and
// random integer expressions against a reference interpreter.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>

#include "expr/ExprHost.h"
#include "frame/ResultCodes.h"
#include "support/CaseFile.h"

namespace {

using qel::test::WString;

using qel::test::ExprHost;
using qel::test::narrow;

// x 10, a -7, b 2, n 3, u 0, d 2.5, c 65535, s "ab", t 2024-01-31,
// bf {0, 1}, nan, iv = one month, arr {1, 2, 3, 4}.
struct Evaluation : ExprHost {
  Evaluation() {
    x = 10, a = -7, b = 2, n = 3, u = 0, d = 2.5, c = 65535;
    bf = {0, 1};
    TSSetStr(s, QEL_W("ab"));
    TDSetTime(t, 2024, 1, 31, 0, 0, 0, 0);
    TDSetInterval(iv, 0, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(ExprDefineVar(&ctx, &nan, QEL_W("nan"), EXT_Double), 0u);
    EXPECT_EQ(ExprDefineVar(&ctx, iv, QEL_W("iv"), EXT_Date), 0u);
    EXPECT_EQ(ExprDefineVar(&ctx, arr, QEL_W("arr"), EXT_Long), 0u);
  }
  ~Evaluation() { TDFree(iv); }
  double nan = std::nan("");
  TD iv = TDNew();
  LONG arr[4] = {1, 2, 3, 4};
};

TEST(ExprEvaluate, CasesOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("expr/evaluate.txt")) {
    Evaluation host;
    EXPECT_EQ(host.run(qel::test::unescape(c[0])), c[1]) << c.where;
  }
}

TEST(ExprEvaluate, WritesLandInTheHostsStorage) {
  Evaluation host;
  EXPECT_EQ(host.run(QEL_W("x /= 0")), "E:80020012");
  EXPECT_EQ(host.x, 10);
  EXPECT_EQ(host.run(QEL_W("arr[2] = 5")), "L:5");
  EXPECT_EQ(host.arr[1], 2);
  EXPECT_EQ(host.arr[2], 5);
  EXPECT_EQ(host.arr[3], 4);
  EXPECT_EQ(host.run(QEL_W("x++")), "L:10");
  EXPECT_EQ(host.x, 11);
  EXPECT_EQ(host.run(QEL_W("s + \"abc\"")), "S:ababc");
  EXPECT_EQ(narrow(TSGetStr(host.s)), "ab");
  EXPECT_EQ(host.run(QEL_W("s += \"!\"")), "S:ab!");
  EXPECT_EQ(narrow(TSGetStr(host.s)), "ab!");
  EXPECT_EQ(host.run(QEL_W("bf = 0x30")), "B:0x0000000000000030");
  EXPECT_EQ(host.bf.ulLow, 0x30u);
  // The same code evaluated again reads the variables afresh.
  ASSERT_EQ(host.compile(QEL_W("x * 2")), 0u);
  for (LONG v : {1, 2, 3}) {
    host.x = v;
    ASSERT_EQ(ExprEvaluate(&host.ctx, host.start, 0), 0u);
    EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&host.ctx)), 2 * v);
  }
}

TEST(ExprEvaluate, StartIndexesAndTheStack) {
  Evaluation host;
  EXPECT_EQ(ExprEvaluate(&host.ctx, EXPR_NONE, 0), 0u);
  ASSERT_EQ(host.compile(QEL_W("x + 1")), 0u);
  ASSERT_EQ(host.compile(QEL_W("d")), 0u);
  EXPECT_EQ(ExprEvaluate(&host.ctx, DAGetSize(host.ctx.hCode), 0), 0u);
  EXPECT_EQ(ExprEvaluate(&host.ctx, -5, 0), 0u);
  EXPECT_EQ(host.ctx.nStackDepth, 0);
  // The whole array: each result followed by its END.
  ASSERT_EQ(ExprEvaluate(&host.ctx, -1, 0), 0u);
  ASSERT_EQ(host.ctx.nStackDepth, 4);
  EXPECT_EQ(host.ctx.pStack[0], 2);
  EXPECT_EQ(host.ctx.pStack[1], 3);
  EXPECT_EQ(host.ctx.pStack[3], 5);
  LONG type = 0;
  ExprPopArgument(&host.ctx, &type);  // the END
  EXPECT_EQ(*static_cast<double*>(ExprPopArgument(&host.ctx, &type)), 2.5);
  EXPECT_EQ(type, EXT_Double);
  // The stack grows in steps of 20 and keeps its buffer.
  for (int i = 0; i < 25; ++i) ASSERT_EQ(ExprEvaluate(&host.ctx, host.start, 0), 0u);
  EXPECT_EQ(host.ctx.nStackDepth, 27);
  EXPECT_EQ(host.ctx.nStackSize, 40);
}

struct CallLog {
  int calls = 0;
  LONG top = 0, below = 0;
  LONG_PTR hostArg = 0;
};

LONG QEL_CDECL pair(ExprContext* ctx, LONG_PTR arg) {
  auto* log = static_cast<CallLog*>(ExprGetUserPtr(ctx));
  log->hostArg = arg;
  log->top = *static_cast<LONG*>(ExprPopResult(ctx));
  log->below = *static_cast<LONG*>(ExprPopResult(ctx));
  return log->top - log->below;
}
void QEL_CDECL nothing(ExprContext* ctx, LONG_PTR) { ++static_cast<CallLog*>(ExprGetUserPtr(ctx))->calls; }
TS QEL_CDECL name(ExprContext* ctx, LONG_PTR) {
  static TSString text = {const_cast<WCHAR*>(QEL_W("host")), 5};
  return ExprPopResult(ctx) ? &text : nullptr;
}
ExprBitField QEL_CDECL high(ExprContext*, LONG_PTR) { return {1, 2}; }
WCHAR QEL_CDECL letter(ExprContext*, LONG_PTR) { return u'Z'; }
TD QEL_CDECL later(ExprContext* ctx, LONG_PTR) { return static_cast<TD>(ExprPopResult(ctx)); }

TEST(ExprEvaluate, HostFunctionsOfEveryResultType) {
  Evaluation host;
  CallLog log;
  ExprSetUserPtr(&host.ctx, &log);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&pair, QEL_W("pair"), EXT_Long, 2, EXT_Long, EXT_Long), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&nothing, QEL_W("nothing"), EXT_Void, 0), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&name, QEL_W("name"), EXT_String, 1, EXT_Char), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&high, QEL_W("high"), EXT_BitField, 0), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&letter, QEL_W("letter"), EXT_Char, 0), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&later, QEL_W("later"), EXT_Date, 1, EXT_Date), 0u);
  ASSERT_EQ(host.compile(QEL_W("pair(1, 2)")), 0u);
  ASSERT_EQ(ExprEvaluate(&host.ctx, host.start, 42), 0u);
  EXPECT_EQ(log.top, 2);
  EXPECT_EQ(log.below, 1);
  EXPECT_EQ(log.hostArg, 42);
  EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&host.ctx)), 1);
  EXPECT_EQ(host.ctx.nStackDepth, 0);
  EXPECT_EQ(host.run(QEL_W("name(c) + s")), "S:hostab");
  EXPECT_EQ(host.run(QEL_W("high() >> 32")), "B:0x0000000000000001");
  EXPECT_EQ(host.run(QEL_W("letter() + 1")), "L:91");
  EXPECT_EQ(host.run(QEL_W("later(t + iv)")), "T:2024-02-29");
  EXPECT_EQ(host.run(QEL_W("pair(d, 'a')")), "L:95");  // converted to the declared types
  ASSERT_EQ(host.compile(QEL_W("nothing()")), 0u);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(ExprEvaluate(&host.ctx, host.start, 0), 0u);
  EXPECT_EQ(log.calls, 3);
}

// Random integer expressions over Long variables, evaluated by the engine
// and by a reference written here with the same rules.
class Reference {
 public:
  explicit Reference(std::mt19937& random, const LONG* vars) : random_(random), vars_(vars) {}

  // A random expression of `depth` levels and its value, or no value when
  // a division by zero happens on the way.
  WString make(int depth, std::optional<LONG>& value) {
    static const WCHAR* const kBinary[] = {QEL_W("+"),  QEL_W("-"),  QEL_W("*"), QEL_W("/"),  QEL_W("%"),
                                           QEL_W("&"),  QEL_W("|"),  QEL_W("^"), QEL_W("<<"), QEL_W(">>"),
                                           QEL_W("=="), QEL_W("!="), QEL_W("<"), QEL_W(">"),  QEL_W("<="),
                                           QEL_W(">="), QEL_W("&&"), QEL_W("||")};
    if (depth == 0 || pick(4) == 0) {
      if (pick(2)) {
        int v = pick(3);
        value = vars_[v];
        return WString(1, WCHAR(u'a' + v));
      }
      LONG literal = LONG(pick(30000));
      value = literal;
      return WString(qel::test::wprintf(QEL_W("%d"), literal));
    }
    if (pick(5) == 0) {
      static const WCHAR* const kUnary[] = {QEL_W("-"), QEL_W("~"), QEL_W("!")};
      int op = pick(3);
      WString inner = make(depth - 1, value);
      if (value) value = op == 0 ? LONG(0u - ULONG(*value)) : op == 1 ? ~*value : LONG(*value == 0);
      return WString(kUnary[op]) + QEL_W("(") + inner + QEL_W(")");
    }
    int op = pick(18);
    std::optional<LONG> l, r;
    WString left = make(depth - 1, l), right = make(depth - 1, r);
    value = l && r ? apply(op, *l, *r) : std::nullopt;
    return QEL_W("(") + left + QEL_W(" ") + kBinary[op] + QEL_W(" ") + right + QEL_W(")");
  }

 private:
  int pick(int n) { return int(random_() % unsigned(n)); }

  static std::optional<LONG> apply(int op, LONG l, LONG r) {
    auto ul = ULONG(l), ur = ULONG(r);
    switch (op) {
      case 0: return LONG(ul + ur);
      case 1: return LONG(ul - ur);
      case 2: return LONG(ul * ur);
      case 3: return r == 0 ? std::nullopt : std::optional<LONG>(r == -1 ? LONG(0u - ul) : l / r);
      case 4: return r == 0 ? std::nullopt : std::optional<LONG>(r == -1 ? 0 : l % r);
      case 5: return l & r;
      case 6: return l | r;
      case 7: return l ^ r;
      case 8: return LONG(ul << (ur & 31));
      case 9: return l >> (ur & 31);
      case 10: return LONG(l == r);
      case 11: return LONG(l != r);
      case 12: return LONG(l < r);
      case 13: return LONG(l > r);
      case 14: return LONG(l <= r);
      case 15: return LONG(l >= r);
      case 16: return LONG(l && r);
      default: return LONG(l || r);
    }
  }

  std::mt19937& random_;
  const LONG* vars_;
};

TEST(ExprEvaluate, RandomIntegerExpressionsMatchAReference) {
  std::mt19937 random(20261206);
  LONG vars[3] = {-123456, 77, 0};
  static const WCHAR* const kNames[3] = {QEL_W("a"), QEL_W("b"), QEL_W("c")};
  ExprContext local;
  ASSERT_EQ(ExprInit(&local, 64, 256, 0, SYM_MODE_C, nullptr, 1, nullptr, nullptr, nullptr, 0, nullptr), 0u);
  for (int v = 0; v < 3; ++v) ASSERT_EQ(ExprDefineVar(&local, &vars[v], kNames[v], EXT_Long), 0u);
  Reference reference(random, vars);
  for (int i = 0; i < 2000; ++i) {
    std::optional<LONG> expected;
    WString text = reference.make(6, expected);
    LONG start = 0, type = 0;
    ASSERT_EQ(ExprCompile(&local, text.c_str(), &start, 0, nullptr, &type), 0u) << narrow(text);
    ASSERT_EQ(type, EXT_Long);
    LONG depth = local.nStackDepth;
    DWORD rc = ExprEvaluate(&local, start, 0);
    if (!expected) {
      EXPECT_EQ(rc, QEL_DISP_E_DIVBYZERO) << narrow(text);
      local.nStackDepth = depth;
      continue;
    }
    ASSERT_EQ(rc, 0u) << narrow(text);
    EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&local)), *expected) << narrow(text);
    EXPECT_EQ(local.nStackDepth, depth);
  }
  ExprRelease(&local);
}

}  // namespace

// Runs go by a plan of the code kept beside it; what a host and the caller
// see must be what the plain loop leaves, even where the plan cannot follow.
LONG QEL_CDECL takesOne(ExprContext* ctx, LONG_PTR) { return *static_cast<LONG*>(ExprPopResult(ctx)) * 10; }
LONG QEL_CDECL again(ExprContext* ctx, LONG_PTR start) {
  if (ExprEvaluate(ctx, LONG(start), 0)) return -1;
  return *static_cast<LONG*>(ExprPopResult(ctx)) + 1;
}

TEST(ExprEvaluate, PlannedRunsLeaveTheStackAsThePlainLoop) {
  Evaluation host;
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&takesOne, QEL_W("takesOne"), EXT_Long, 2, EXT_Long, EXT_Long),
            0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&again, QEL_W("again"), EXT_Long, 0), 0u);
  // A host that takes one of two arguments: the other stays, and the add
  // takes it in place of its own left operand: 2 + 30, with the 1 left below.
  ASSERT_EQ(host.compile(QEL_W("1 + takesOne(2, 3)")), 0u);
  ASSERT_EQ(ExprEvaluate(&host.ctx, host.start, 0), 0u);
  ASSERT_EQ(host.ctx.nStackDepth, 2);
  EXPECT_EQ(host.ctx.pStack[0], host.start);
  EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&host.ctx)), 32);
  host.ctx.nStackDepth = 0;
  // A failing operator leaves what stood below its operands.
  ASSERT_EQ(host.compile(QEL_W("x + 7 / (a - a)")), 0u);
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(ExprEvaluate(&host.ctx, host.start, 0), 0x80020012u);
    ASSERT_EQ(host.ctx.nStackDepth, 1);
    EXPECT_EQ(host.ctx.pStack[0], host.start);
    host.ctx.nStackDepth = 0;
  }
  // Compiles between runs (one inserting a conversion) extend the plan.
  ASSERT_EQ(host.compile(QEL_W("x + 1")), 0u);
  const LONG first = host.start;
  EXPECT_EQ(host.run(QEL_W("d = a + 2.5")), "D:-4.5");
  ASSERT_EQ(ExprEvaluate(&host.ctx, first, 0), 0u);
  EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&host.ctx)), 11);
  // Constants enough to move the value pool several times: the inline
  // steps follow their values.
  ASSERT_EQ(host.compile(QEL_W("d * 2.0 + x / 4.0 < 1.0 && d - 1 < 9.5")), 0u);
  const LONG planned = host.start;
  const BYTE* pool = host.ctx.pPool;
  for (int i = 0; i < 400 && host.ctx.pPool == pool; ++i) {
    ASSERT_EQ(ExprEvaluate(&host.ctx, planned, 0), 0u);
    EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&host.ctx)), 1);
    ASSERT_EQ(host.compile(QEL_W("d + 1.5 * 2.5")), 0u);
  }
  EXPECT_NE(host.ctx.pPool, pool);
  ASSERT_EQ(ExprEvaluate(&host.ctx, planned, 0), 0u);
  EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&host.ctx)), 1);
  // A host function that evaluates on the same context in between.
  ASSERT_EQ(host.compile(QEL_W("x * 2 + again()")), 0u);
  const LONG outer = host.start;
  ASSERT_EQ(ExprEvaluate(&host.ctx, outer, first), 0u);
  EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&host.ctx)), 32);
  EXPECT_EQ(host.ctx.nStackDepth, 0);
}
