/*
 * Arbitrary text compiled against a fixed symbol table: variables of every
 * type, a constant and functions of several signatures.  The first byte
 * chooses the scanner mode, the case rule and the required result type;
 * every further byte is one character (Latin-1), lines cut at each LF and
 * compiled one after another into the same context.
 */
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "datetime/DateTime.h"
#include "expr/Expression.h"
#include "strings/StringObject.h"

namespace {

LONG QEL_CDECL dummy(ExprContext*, LONG_PTR) { return 0; }

struct Storage {
  WCHAR c = 0;
  LONG l = 0;
  ULONG u = 0;
  double d = 0;
  ExprBitField bits{};
  LONG array[4] = {};
};

void define(ExprContext& ctx, Storage& st, TS s, TD t) {
  ExprDefineVar(&ctx, &st.c, QEL_W("c"), EXT_Char);
  ExprDefineVar(&ctx, &st.l, QEL_W("x"), EXT_Long);
  ExprDefineVar(&ctx, &st.u, QEL_W("u"), EXT_ULong);
  ExprDefineVar(&ctx, &st.d, QEL_W("d"), EXT_Double);
  ExprDefineVar(&ctx, &st.bits, QEL_W("bf"), EXT_BitField);
  ExprDefineVar(&ctx, s, QEL_W("s"), EXT_String);
  ExprDefineVar(&ctx, t, QEL_W("t"), EXT_Date);
  ExprDefineVar(&ctx, st.array, QEL_W("arr"), EXT_Long);
  ExprDefineConst(&ctx, &st.l, QEL_W("k"), EXT_Long);
  ExprDefineFn(&ctx, (void*)&dummy, QEL_W("f"), EXT_Double, 2, EXT_Long, EXT_Double);
  ExprDefineFn(&ctx, (void*)&dummy, QEL_W("g"), EXT_Long, 0);
  ExprDefineFn(&ctx, (void*)&dummy, QEL_W("any"), EXT_String, 3, EXT_Unknown, EXT_String, EXT_Date);
  ExprDefineFn(&ctx, (void*)&dummy, QEL_W("v"), EXT_Void, 1, EXT_Char);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t options = data[0];
  ExprContext ctx;
  if (ExprInit(&ctx, 16, 64, options & 0x04, options & 0x03, (options & 0x08) ? QEL_W(";,") : nullptr, 1,
               nullptr, nullptr, nullptr, 0, nullptr) != 0)
    abort();
  Storage st;
  TS s = TSNew();
  TD t = TDNew();
  define(ctx, st, s, t);
  const LONG required = (options >> 4) % 10;
  std::basic_string<WCHAR> line;
  for (size_t i = 1; i <= size; ++i) {
    if (i < size && data[i] != '\n') {
      line += WCHAR(data[i] ? data[i] : ' ');
      continue;
    }
    LONG start = -1, constant = -1, type = -1;
    DWORD rc = ExprCompile(&ctx, line.c_str(), &start, required, &constant, &type);
    LONG count = DAGetSize(ctx.hCode);
    auto* last = static_cast<ExprInstr*>(DAGetElem(ctx.hCode, count - 1));
    if (start < 0 || start >= count || last->nOpcode != EOP_END || ExprGetActExpr(&ctx) != start) abort();
    if ((constant != 0 && constant != 1) ||
        (rc == 0 && type == EXT_Void && required != 0 && required != EXT_Void))
      abort();
    if (ExprGetColNo(&ctx) > line.size() + 1) abort();
    line.clear();
  }
  ExprRelease(&ctx);
  TSFree(s);
  TDFree(t);
  return 0;
}
