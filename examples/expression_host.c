/*
 * Hosting the expression engine: the host's own variables, a host function,
 * one compile and several evaluations.  Prints the result of each run.
 */
#include <QELBase.h>
#include <stdio.h>
#include <string.h>

/* A host function of two Double arguments: they are popped last first. */
static double QEL_CDECL larger(ExprContext* ctx, LONG_PTR hostArg) {
  (void)hostArg;
  const double y = *(const double*)ExprPopResult(ctx);
  const double x = *(const double*)ExprPopResult(ctx);
  return x > y ? x : y;
}

int main(void) {
  ExprContext ctx;
  memset(&ctx, 0, sizeof ctx); /* ExprInit expects a cleared record */
  if (ExprInit(&ctx, 64, 256, 0, SYM_MODE_C, NULL, 1, NULL, NULL, NULL, 0, NULL) != 0) return 1;

  /* The engine reads and writes these variables in place on every run;
     their names are not copied and must outlive the context. */
  double price = 0, total = 0;
  LONG count = 3;
  ExprDefineVar(&ctx, &price, QEL_W("price"), EXT_Double);
  ExprDefineVar(&ctx, &count, QEL_W("count"), EXT_Long);
  ExprDefineVar(&ctx, &total, QEL_W("total"), EXT_Double);
  ExprDefineFn(&ctx, (void*)&larger, QEL_W("larger"), EXT_Double, 2, EXT_Double, EXT_Double);

  LONG start = 0, type = 0;
  if (ExprCompile(&ctx, QEL_W("total = larger(price * count, 10) + 0.5"), &start, EXT_Double, NULL, &type) !=
      0) {
    printf("compile failed at column %lu\n", (unsigned long)ExprGetColNo(&ctx));
    ExprRelease(&ctx);
    return 1;
  }
  for (int run = 1; run <= 3; ++run) {
    price = 2.5 * run;
    if (ExprEvaluate(&ctx, start, 0) != 0) break;
    /* The result stays in the engine's slot until the next run. */
    const double result = *(const double*)ExprPopResult(&ctx);
    printf("price %.2f: total %.2f, result %.2f\n", price, total, result);
  }
  ExprRelease(&ctx);
  return 0;
}
