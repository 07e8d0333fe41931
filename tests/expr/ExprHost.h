/*
 * A host of the expression engine for tests: one context over variables of
 * every type, a constant and a few functions, and the compiled code rendered
 * as one line ("x a 2 b MUL:Long ADD:Long ASS:Long@x END").
 */
#ifndef QELBASE_TESTS_EXPR_HOST_H
#define QELBASE_TESTS_EXPR_HOST_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "datetime/DateTime.h"
#include "expr/CodeListing.h"
#include "expr/Expression.h"
#include "expr/InstructionSet.h"
#include "strings/StringObject.h"
#include "support/WideText.h"

namespace qel::test {

inline const char* shortTypeName(LONG type) {
  static const char* const kNames[] = {"Void", "Char",   "Long", "ULong",  "Double",
                                       "Bit",  "String", "Date", "Unknown"};
  return type >= 0 && type <= EXT_Unknown ? kNames[type] : "?";
}

struct ExprHost {
  // f(Long l, Double d) = l * d; g() = 7; any(x) = the type x arrived with.
  static double QEL_CDECL f(ExprContext* ctx, LONG_PTR) {
    double d = *static_cast<double*>(ExprPopResult(ctx));
    return *static_cast<LONG*>(ExprPopResult(ctx)) * d;
  }
  static LONG QEL_CDECL g(ExprContext*, LONG_PTR) { return 7; }
  static LONG QEL_CDECL any(ExprContext* ctx, LONG_PTR) {
    LONG type = -1;
    ExprPopArgument(ctx, &type);
    return type;
  }

  explicit ExprHost(ULONG upperCase = 0, const WCHAR* terminators = nullptr) {
    EXPECT_EQ(
        ExprInit(&ctx, 64, 256, upperCase, SYM_MODE_C, terminators, 1, nullptr, nullptr, nullptr, 0, nullptr),
        0u);
    s = TSNew();
    t = TDNew();
    for (auto [name, value, type] : {std::tuple{QEL_W("x"), (void*)&x, EXT_Long},
                                     {QEL_W("a"), &a, EXT_Long},
                                     {QEL_W("b"), &b, EXT_Long},
                                     {QEL_W("n"), &n, EXT_Long},
                                     {QEL_W("u"), &u, EXT_ULong},
                                     {QEL_W("d"), &d, EXT_Double},
                                     {QEL_W("c"), &c, EXT_Char},
                                     {QEL_W("bf"), &bf, EXT_BitField},
                                     {QEL_W("s"), s, EXT_String},
                                     {QEL_W("t"), t, EXT_Date}})
      EXPECT_EQ(ExprDefineVar(&ctx, value, name, type), 0u);
    EXPECT_EQ(ExprDefineConst(&ctx, &k, QEL_W("k"), EXT_Long), 0u);
    EXPECT_EQ(ExprDefineFn(&ctx, (void*)&f, QEL_W("f"), EXT_Double, 2, EXT_Long, EXT_Double), 0u);
    EXPECT_EQ(ExprDefineFn(&ctx, (void*)&g, QEL_W("g"), EXT_Long, 0), 0u);
    EXPECT_EQ(ExprDefineFn(&ctx, (void*)&any, QEL_W("any"), EXT_Long, 1, EXT_Unknown), 0u);
  }
  ~ExprHost() {
    ExprRelease(&ctx);
    TSFree(s);
    TDFree(t);
  }
  ExprHost(const ExprHost&) = delete;
  ExprHost& operator=(const ExprHost&) = delete;

  DWORD compile(const WString& text, LONG required = 0) {
    text_ = text;
    constant = -1;
    type = -1;
    return ExprCompile(&ctx, text_.c_str(), &start, required, &constant, &type);
  }

  // Compiles and evaluates: "L:-3", "U:7", "D:1.5", "C:65", "S:text",
  // "B:0x0000000100000000", "T:2024-02-29" or the failure "E:80020012".
  std::string run(const WString& text) {
    char out[64];
    DWORD rc = compile(text);
    LONG depth = ctx.nStackDepth;
    if (rc == 0) rc = ExprEvaluate(&ctx, start, 0);
    if (rc) {
      std::snprintf(out, sizeof out, "E:%08X", unsigned(rc));
      ctx.nStackDepth = depth;
      return out;
    }
    if (ctx.nStackDepth != depth + 1) return "stack depth " + std::to_string(ctx.nStackDepth - depth);
    void* v = ExprPopResult(&ctx);
    switch (type) {
      case EXT_Char: std::snprintf(out, sizeof out, "C:%u", unsigned(*static_cast<WCHAR*>(v))); break;
      case EXT_Long: std::snprintf(out, sizeof out, "L:%d", int(*static_cast<LONG*>(v))); break;
      case EXT_ULong: std::snprintf(out, sizeof out, "U:%u", unsigned(*static_cast<ULONG*>(v))); break;
      case EXT_Double: std::snprintf(out, sizeof out, "D:%.17g", *static_cast<double*>(v)); break;
      case EXT_BitField: {
        const auto* bits = static_cast<ExprBitField*>(v);
        std::snprintf(out, sizeof out, "B:0x%08X%08X", unsigned(bits->ulHigh), unsigned(bits->ulLow));
        break;
      }
      case EXT_String: return "S:" + narrow(TSGetStr(static_cast<TS>(v)));
      case EXT_Date: {
        const auto* st = static_cast<SYSTEMTIME*>(v);
        std::snprintf(out, sizeof out, "T:%04u-%02u-%02u", st->wYear, st->wMonth, st->wDay);
        break;
      }
      default: return "void";
    }
    return out;
  }

  // The code from `from` to the END of that expression, as one line.
  std::string render(LONG from) {
    std::string out;
    for (const qel::expr::ListedInstruction& line : qel::expr::listExpression(&ctx, from)) {
      const ExprInstr& in = *line.instr;
      if (!out.empty()) out += ' ';
      if (in.nOpcode == EOP_END) return out + "END";
      if (in.nOpcode == EOP_NOP) {
        out += line.symbol ? narrow(line.symbol) : qel::expr::valueText(in.op.nType, in.op.pValue);
        continue;
      }
      out += narrow(qel::expr::opcodeInfo(in.nOpcode)->name + 4) + ":" + shortTypeName(in.op.nType);
      if (line.symbol) out += "@" + narrow(line.symbol);
    }
    return out;
  }
  std::string code() { return render(start); }

  ExprContext ctx;
  LONG x = 0, a = 0, b = 0, n = 0, k = 7;
  ULONG u = 0;
  double d = 0;
  WCHAR c = 0;
  ExprBitField bf{};
  TS s;
  TD t;
  LONG start = -1, constant = -1, type = -1;

 private:
  WString text_;
};

}  // namespace qel::test

#endif
