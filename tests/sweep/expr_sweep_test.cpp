/* The expression engine under lack of memory: every failing step reports
   0x8007000E and leaves the context usable (a failed definition defines
   nothing, a failed evaluation leaves a string untouched or emptied), and
   releasing the context afterwards frees everything. */
#include "QELBase.h"
#include "Sweep.h"

namespace {

using qel::test::sweepAllocations;

constexpr DWORD kNoMemory = 0x8007000Eu;

LONG QEL_CDECL twice(ExprContext* ctx, LONG_PTR) { return 2 * *static_cast<LONG*>(ExprPopResult(ctx)); }

TEST(AllocationSweep, ExpressionEngine) {
  sweepAllocations([] {
    ExprContext ctx{};
    DWORD rc = ExprInit(&ctx, 32, 64, 0, SYM_MODE_C, QEL_W(";"), 1, nullptr, nullptr, nullptr, 0, nullptr);
    if (rc) {
      EXPECT_EQ(rc, kNoMemory);
      return;  // nothing is left to release
    }
    LONG x = 0, a = 20;
    double d = 1.5;
    TS s = TSClone(QEL_W("abc"));
    TD t = TDNew();
    LONG start = -1, constant = 0, type = 0;
    // Definitions, a compile and an evaluation; the first failure ends the run.
    if (!s || !t) goto release;
    if ((rc = ExprDefineVar(&ctx, &x, QEL_W("x"), EXT_Long)) ||
        (rc = ExprDefineVar(&ctx, &a, QEL_W("a"), EXT_Long)) ||
        (rc = ExprDefineVar(&ctx, &d, QEL_W("d"), EXT_Double)) ||
        (rc = ExprDefineVar(&ctx, s, QEL_W("s"), EXT_String)) ||
        (rc = ExprDefineVar(&ctx, t, QEL_W("t"), EXT_Date)) ||
        (rc = ExprDefineFn(&ctx, (void*)&twice, QEL_W("twice"), EXT_Long, 1, EXT_Long))) {
      // A failed definition of a function leaves no name and no argument types.
      if (!ExprLookUp(&ctx, QEL_W("twice"))) {
        EXPECT_EQ(DAGetSize(ctx.hArgTypes), 0);
      }
      goto release;
    }
    // Without memory for the cross-reference tables recording is on all the same.
    if ((rc = ExprXRefOn(&ctx))) {
      EXPECT_EQ(ctx.bXRef, 1);
      goto release;
    }
    rc = ExprCompile(&ctx, QEL_W("x = twice(a) + d * 2"), &start, 0, &constant, &type);
    if (rc || (rc = ExprCompile(&ctx, QEL_W("s = s + \"de\" + s"), &start, 0, &constant, &type)))
      goto release;
    if ((rc = ExprEvaluate(&ctx, -1, 0)) == 0) {
      EXPECT_EQ(x, 43);
      EXPECT_EQ(std::char_traits<WCHAR>::compare(TSGetStr(s), QEL_W("abcdeabc"), 9), 0);
    } else {
      // Untouched, or emptied by a failed copy into it (the string family's rule).
      EXPECT_TRUE(TSGetLen(s) == 0 || std::char_traits<WCHAR>::compare(TSGetStr(s), QEL_W("abc"), 4) == 0);
    }
  release:
    if (rc) {
      EXPECT_EQ(rc, kNoMemory);
      // The context carries on: a compile and an evaluation after the failure.
      ctx.nStackDepth = 0;
      if (ExprCompile(&ctx, QEL_W("2 + 3"), &start, 0, &constant, &type) == 0 &&
          ExprEvaluate(&ctx, start, 0) == 0) {
        EXPECT_EQ(*static_cast<LONG*>(ExprPopResult(&ctx)), 5);
      }
    }
    EXPECT_EQ(ExprRelease(&ctx), 0u);
    TDFree(t);
    TSFree(s);
  });
}

}  // namespace
