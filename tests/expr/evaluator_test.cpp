// The evaluator: operators by type, conversions, host calls, failures, and
// random integer expressions against a reference interpreter.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>

#include "expr/ExprHost.h"
#include "frame/Heap.h"
#include "frame/ResultCodes.h"

namespace {

using qel::test::ExprHost;
using qel::test::narrow;

// x 10, a -7, b 2, n 3, u 0, d 2.5, c 65535, s "ab", t 2024-01-31,
// bf {0, 1}, nan, iv = one month, arr {1, 2, 3, 4}.
struct Evaluation : ExprHost {
  Evaluation() {
    x = 10, a = -7, b = 2, n = 3, u = 0, d = 2.5, c = 65535;
    bf = {0, 1};
    TSSetStr(s, u"ab");
    TDSetTime(t, 2024, 1, 31, 0, 0, 0, 0);
    TDSetInterval(iv, 0, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(ExprDefineVar(&ctx, &nan, u"nan", EXT_Double), 0u);
    EXPECT_EQ(ExprDefineVar(&ctx, iv, u"iv", EXT_Date), 0u);
    EXPECT_EQ(ExprDefineVar(&ctx, arr, u"arr", EXT_Long), 0u);
  }
  ~Evaluation() { TDFree(iv); }
  double nan = std::nan("");
  TD iv = TDNew();
  LONG arr[4] = {1, 2, 3, 4};
};

struct RunCase {
  const char16_t* text;
  const char* result;
};

// clang-format off
const RunCase kRunCases[] = {
  // Long: truncating division, remainder with the dividend's sign, wrapping.
  {u"a / b", "L:-3"}, {u"a % b", "L:-1"}, {u"-7 / 2", "L:-3"}, {u"x * a + n", "L:-67"},
  {u"-2147483647 - 1 - 1", "L:2147483647"}, {u"(-2147483647 - 1) / -1", "L:-2147483648"},
  {u"(-2147483647 - 1) % -1", "L:0"}, {u"a >> 1", "L:-4"}, {u"1 << 33", "L:2"}, {u"x << -1", "L:0"},
  {u"x & 6 | 1 ^ 3", "L:2"}, {u"~x", "L:-11"}, {u"-x", "L:-10"}, {u"+a", "L:-7"},
  {u"x && 0", "L:0"}, {u"x || 0", "L:1"}, {u"!x", "L:0"}, {u"!0", "L:1"},
  {u"a < b", "L:1"}, {u"a > b", "L:0"}, {u"a <= -7", "L:1"}, {u"a >= -6", "L:0"}, {u"x == 10", "L:1"}, {u"x != 10", "L:0"},
  // ULong and Char: unsigned, at their width.
  {u"u - 1", "U:4294967295"}, {u"40000 - 50000", "U:4294957296"}, {u"~u", "U:4294967295"},
  {u"4000000000 >> 1", "U:2000000000"}, {u"4000000000 / 3", "U:1333333333"}, {u"u - 1 > 0", "L:1"},
  {u"-u", "U:0"}, {u"-(u + 1)", "U:4294967295"},
  {u"c + 1", "L:65536"}, {u"c += 1", "C:0"}, {u"c << 16", "C:0"}, {u"c << 15", "C:32768"}, {u"c >> 1", "C:32767"},
  {u"c * c", "C:1"}, {u"-c", "C:1"}, {u"c / 'a'", "C:675"}, {u"c > 'a'", "L:1"},
  // Double, and its special values.
  {u"d * 2", "D:5"}, {u"d / 0.5", "D:5"}, {u"-d", "D:-2.5"}, {u"!d", "L:0"}, {u"!(d - d)", "L:1"},
  {u"nan == d", "L:1"}, {u"nan != d", "L:0"}, {u"nan < d", "L:1"}, {u"nan > d", "L:0"},
  {u"nan <= d", "L:1"}, {u"nan >= d", "L:0"}, {u"d <= 2.5", "L:1"}, {u"!nan", "L:1"}, {u"nan || 0", "L:0"},
  {u"d / nan", "E:80020012"}, {u"d += x", "D:12.5"}, {u"d++", "D:2.5"}, {u"++d", "D:3.5"},
  // Conversions.
  {u"x = 3.9", "L:3"}, {u"x = -3.9", "L:-3"}, {u"c = -1.0", "C:65535"}, {u"c = 65536.7", "C:0"},
  {u"u = -1.5", "U:4294967295"}, {u"u = 3000000000.0", "U:3000000000"}, {u"x = nan", "L:0"},
  {u"d = 4294967295", "D:4294967295"}, {u"d = a", "D:-7"}, {u"x = c", "L:65535"}, {u"u = a", "U:4294967289"},
  {u"bf = x", "B:0x000000000000000A"}, {u"bf = a", "B:0x00000000FFFFFFF9"}, {u"bf = d", "B:0x0000000040040000"},
  {u"bf = c", "B:0x000000000000FFFF"}, {u"s = 'x'", "S:x"}, {u"s + 'c'", "S:abc"},
  // BitField.
  {u"bf << 0", "B:0x0000000000000001"}, {u"bf << 32", "B:0x0000000100000000"}, {u"bf << 63", "B:0x8000000000000000"},
  {u"bf << 64", "E:8002000A"}, {u"bf >> -1", "E:8002000A"}, {u"bf <<= 4", "B:0x0000000000000010"},
  {u"bf[0]", "L:1"}, {u"bf[1]", "L:0"}, {u"bf[64]", "E:8002000B"}, {u"bf[-1]", "E:8002000B"},
  {u"bf || 0", "L:1"}, {u"bf && bf", "L:0"}, {u"!bf", "L:1"}, {u"~bf", "B:0xFFFFFFFFFFFFFFFE"},
  {u"bf | 0x100", "B:0x0000000000000101"}, {u"bf ^ bf", "B:0x0000000000000000"}, {u"bf == 1", "L:1"},
  {u"bf < 2", "L:1"}, {u"(bf << 32) < 2", "L:0"}, {u"bf + 1", "E:8000FFFF"},
  // String.
  {u"s < \"abc\"", "L:1"}, {u"s + \"abc\"", "S:ababc"}, {u"s == \"ab\"", "L:1"}, {u"s >= \"b\"", "L:0"},
  {u"s[0]", "C:97"}, {u"s[2]", "E:8002000B"}, {u"s[-1]", "E:8002000B"}, {u"s += s", "S:abab"},
  {u"s = \"\"", "S:"}, {u"s - s", "E:8000FFFF"},
  // Date: intervals are added and subtracted field by field.
  {u"t + iv", "T:2024-02-29"}, {u"t - iv", "T:2023-12-31"}, {u"t += iv", "T:2024-02-29"},
  {u"t == t", "L:1"}, {u"t < t + iv", "L:1"}, {u"t * t", "E:8000FFFF"}, {u"t = iv", "T:0000-01-00"},
  // Assignments write through and yield the new value.
  {u"x = a = 4", "L:4"}, {u"x <<= 2", "L:40"}, {u"x >>= 1", "L:5"}, {u"x &= 6", "L:2"}, {u"x |= 5", "L:15"},
  {u"x ^= 3", "L:9"}, {u"x *= 3", "L:30"}, {u"x -= 11", "L:-1"}, {u"x %= 3", "L:1"}, {u"x /= 3", "L:3"},
  {u"x /= 0", "E:80020012"}, {u"x %= 0", "E:80020012"}, {u"7 / 0", "E:80020012"}, {u"7 % 0", "E:80020012"},
  {u"d %= 2", "E:8000FFFF"}, {u"1.5 % 1", "E:8000FFFF"}, {u"x++", "L:10"}, {u"++x", "L:11"}, {u"x--", "L:10"},
  {u"--x + x", "L:18"}, {u"arr[2] = 5", "L:5"}, {u"arr[1] + arr[3]", "L:6"}, {u"arr[0]++", "L:1"},
  {u"(a + b)[0]", "L:-5"}, {u"(a + b)[1]", "E:8002000B"},
  // Host functions and what the engine does not implement.
  {u"f(3, 1.5)", "D:4.5"}, {u"f(n, d) + g()", "D:14.5"}, {u"any(s)", "L:6"}, {u"any('a')", "L:1"},
  {u"any(d)", "L:4"}, {u"any(t)", "L:7"}, {u"a.b", "E:80004001"}, {u"a->b", "E:80004001"},
  {u"*x", "E:80004001"}, {u"&x", "E:80004001"},
};
// clang-format on

TEST(ExprEvaluate, OperatorsByType) {
  for (const RunCase& c : kRunCases) {
    Evaluation host;
    SCOPED_TRACE(narrow(c.text));
    EXPECT_EQ(host.run(c.text), c.result);
  }
}

TEST(ExprEvaluate, WritesLandInTheHostsStorage) {
  Evaluation host;
  EXPECT_EQ(host.run(u"x /= 0"), "E:80020012");
  EXPECT_EQ(host.x, 10);
  EXPECT_EQ(host.run(u"arr[2] = 5"), "L:5");
  EXPECT_EQ(host.arr[1], 2);
  EXPECT_EQ(host.arr[2], 5);
  EXPECT_EQ(host.arr[3], 4);
  EXPECT_EQ(host.run(u"x++"), "L:10");
  EXPECT_EQ(host.x, 11);
  EXPECT_EQ(host.run(u"s + \"abc\""), "S:ababc");
  EXPECT_EQ(narrow(TSGetStr(host.s)), "ab");
  EXPECT_EQ(host.run(u"s += \"!\""), "S:ab!");
  EXPECT_EQ(narrow(TSGetStr(host.s)), "ab!");
  EXPECT_EQ(host.run(u"bf = 0x30"), "B:0x0000000000000030");
  EXPECT_EQ(host.bf.ulLow, 0x30u);
  // The same code evaluated again reads the variables afresh.
  ASSERT_EQ(host.compile(u"x * 2"), 0u);
  for (LONG v : {1, 2, 3}) {
    host.x = v;
    ASSERT_EQ(ExprEvaluate(&host.ctx, host.start, 0), 0u);
    EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&host.ctx)), 2 * v);
  }
}

TEST(ExprEvaluate, StartIndexesAndTheStack) {
  Evaluation host;
  EXPECT_EQ(ExprEvaluate(&host.ctx, EXPR_NONE, 0), 0u);
  ASSERT_EQ(host.compile(u"x + 1"), 0u);
  ASSERT_EQ(host.compile(u"d"), 0u);
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
  static TSString text = {const_cast<WCHAR*>(u"host"), 5};
  return ExprPopResult(ctx) ? &text : nullptr;
}
ExprBitField QEL_CDECL high(ExprContext*, LONG_PTR) { return {1, 2}; }
WCHAR QEL_CDECL letter(ExprContext*, LONG_PTR) { return u'Z'; }
TD QEL_CDECL later(ExprContext* ctx, LONG_PTR) { return static_cast<TD>(ExprPopResult(ctx)); }

TEST(ExprEvaluate, HostFunctionsOfEveryResultType) {
  Evaluation host;
  CallLog log;
  ExprSetUserPtr(&host.ctx, &log);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&pair, u"pair", EXT_Long, 2, EXT_Long, EXT_Long), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&nothing, u"nothing", EXT_Void, 0), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&name, u"name", EXT_String, 1, EXT_Char), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&high, u"high", EXT_BitField, 0), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&letter, u"letter", EXT_Char, 0), 0u);
  ASSERT_EQ(ExprDefineFn(&host.ctx, (void*)&later, u"later", EXT_Date, 1, EXT_Date), 0u);
  ASSERT_EQ(host.compile(u"pair(1, 2)"), 0u);
  ASSERT_EQ(ExprEvaluate(&host.ctx, host.start, 42), 0u);
  EXPECT_EQ(log.top, 2);
  EXPECT_EQ(log.below, 1);
  EXPECT_EQ(log.hostArg, 42);
  EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&host.ctx)), 1);
  EXPECT_EQ(host.ctx.nStackDepth, 0);
  EXPECT_EQ(host.run(u"name(c) + s"), "S:hostab");
  EXPECT_EQ(host.run(u"high() >> 32"), "B:0x0000000000000001");
  EXPECT_EQ(host.run(u"letter() + 1"), "L:91");
  EXPECT_EQ(host.run(u"later(t + iv)"), "T:2024-02-29");
  EXPECT_EQ(host.run(u"pair(d, 'a')"), "L:95");  // converted to the declared types
  ASSERT_EQ(host.compile(u"nothing()"), 0u);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(ExprEvaluate(&host.ctx, host.start, 0), 0u);
  EXPECT_EQ(log.calls, 3);
}

TEST(ExprEvaluate, FailedAllocationsDuringEvaluation) {
  for (long failAt = 1;; ++failAt) {
    Evaluation host;
    ASSERT_EQ(host.compile(u"s = s + \"cd\" + 'e' + s"), 0u);
    LONG depth = host.ctx.nStackDepth;
    qel::heapFailAt(failAt);
    DWORD rc = ExprEvaluate(&host.ctx, host.start, 0);
    qel::heapFailAt(0);
    host.ctx.nStackDepth = depth;
    if (rc == 0) {
      EXPECT_EQ(narrow(TSGetStr(host.s)), "abcdeab");
      break;
    }
    EXPECT_EQ(rc, QEL_E_OUTOFMEMORY) << failAt;
    // Untouched, or emptied by a failed copy into it (the string family's rule).
    std::string left = narrow(TSGetStr(host.s));
    EXPECT_TRUE(left == "ab" || left.empty()) << left;
    EXPECT_EQ(host.run(u"x + 1"), "L:11");  // and the context carries on
  }
}

// Random integer expressions over Long variables, evaluated by the engine
// and by a reference written here with the same rules.
class Reference {
 public:
  explicit Reference(std::mt19937& random, const LONG* vars) : random_(random), vars_(vars) {}

  // A random expression of `depth` levels and its value, or no value when
  // a division by zero happens on the way.
  std::u16string make(int depth, std::optional<LONG>& value) {
    static const char16_t* const kBinary[] = {u"+",  u"-",  u"*",  u"/", u"%", u"&",  u"|",  u"^",  u"<<",
                                              u">>", u"==", u"!=", u"<", u">", u"<=", u">=", u"&&", u"||"};
    if (depth == 0 || pick(4) == 0) {
      if (pick(2)) {
        int v = pick(3);
        value = vars_[v];
        return std::u16string(1, char16_t(u'a' + v));
      }
      LONG literal = LONG(pick(30000));
      value = literal;
      return std::u16string(qel::test::wprintf(u"%d", literal));
    }
    if (pick(5) == 0) {
      static const char16_t* const kUnary[] = {u"-", u"~", u"!"};
      int op = pick(3);
      std::u16string inner = make(depth - 1, value);
      if (value) value = op == 0 ? LONG(0u - ULONG(*value)) : op == 1 ? ~*value : LONG(*value == 0);
      return std::u16string(kUnary[op]) + u"(" + inner + u")";
    }
    int op = pick(18);
    std::optional<LONG> l, r;
    std::u16string left = make(depth - 1, l), right = make(depth - 1, r);
    value = l && r ? apply(op, *l, *r) : std::nullopt;
    return u"(" + left + u" " + kBinary[op] + u" " + right + u")";
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
  static const WCHAR* const kNames[3] = {u"a", u"b", u"c"};
  ExprContext local;
  ASSERT_EQ(ExprInit(&local, 64, 256, 0, SYM_MODE_C, nullptr, 1, nullptr, nullptr, nullptr, 0, nullptr), 0u);
  for (int v = 0; v < 3; ++v) ASSERT_EQ(ExprDefineVar(&local, &vars[v], kNames[v], EXT_Long), 0u);
  Reference reference(random, vars);
  for (int i = 0; i < 2000; ++i) {
    std::optional<LONG> expected;
    std::u16string text = reference.make(6, expected);
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
