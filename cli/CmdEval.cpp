/* qel eval: compile an expression over command-line variables. */
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Console.h"
#include "EvalHost.h"
#include "expr/ExprInternal.h"
#include "expr/InstructionSet.h"

namespace qel::cli {
namespace {

constexpr std::string_view kUsage = "--code EXPR [--var NAME:TYPE[=VALUE]]...";

struct EvalOptions {
  std::string_view expression;
  bool listing = false;
  std::vector<std::string_view> variables;
};

// How many stack entries an instruction takes: a call also its arguments.
size_t operandCount(ExprContext& ctx, const ExprInstr& in, const std::vector<LONG>& stack) {
  size_t pops = size_t(qel::expr::opcodeInfo(in.nOpcode) ? qel::expr::opcodeInfo(in.nOpcode)->pops : 0);
  if (in.nOpcode != EOP_PAR || stack.empty()) return pops;
  const ExprInstr& function = *qel::expr::instrAt(&ctx, stack.back());
  for (LONG i = function.op.nLink; *static_cast<LONG*>(DAGetElem(ctx.hArgTypes, i)) != EXT_Void; ++i) ++pops;
  return pops;
}

// One line per instruction: index, opcode, the type it works on, then the
// operand pushed or the indexes of the instructions whose values it takes.
void printListing(EvalHost& host, LONG start) {
  ExprContext& ctx = host.context();
  std::vector<LONG> stack;
  for (LONG i = start; i < DAGetSize(ctx.hCode); ++i) {
    const ExprInstr& in = *qel::expr::instrAt(&ctx, i);
    const qel::expr::OpcodeInfo* info = qel::expr::opcodeInfo(in.nOpcode);
    char head[96];
    if (in.nOpcode == EOP_END) {
      std::snprintf(head, sizeof head, "%4d  EOP_END\n", int(i));
      std::cout << head;
      return;
    }
    std::snprintf(head, sizeof head, "%4d  %-16s", int(i), info ? toUtf8(info->name).c_str() : "?");
    std::cout << head;
    std::string type = toUtf8(qel::expr::typeName(in.op.nType));
    type.resize(14, ' ');
    std::cout << type;
    std::string symbol = host.symbolAt(in.op.pValue);
    if (in.nOpcode == EOP_NOP) {
      std::cout << (symbol.empty() ? valueText(in.op.nType, in.op.pValue) : symbol) << "\n";
      stack.push_back(i);
      continue;
    }
    size_t pops = std::min(operandCount(ctx, in, stack), stack.size());
    std::string operands;
    for (size_t k = stack.size() - pops; k < stack.size(); ++k)
      operands += (operands.empty() ? "" : " ") + std::to_string(stack[k]);
    stack.resize(stack.size() - pops);
    stack.push_back(i);
    std::cout << "[" << operands << "]" << (symbol.empty() ? "" : " -> " + symbol) << "\n";
  }
}

// The message, then the expression with a caret under the failing symbol.
void printCompileError(EvalHost& host, DWORD rc, const std::string& expression) {
  ExprContext& ctx = host.context();
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", unsigned(rc));
  std::cerr << "qel: " << messageText(rc) << " (" << code << ")";
  if (ctx.pszErrText && *ctx.pszErrText) std::cerr << ": " << toUtf8(ctx.pszErrText);
  std::cerr << "\n  " << expression << "\n  ";
  // Columns count UTF-16 code units; the terminal shows one cell per character.
  std::basic_string<WCHAR> wide = fromUtf8(expression);
  ULONG end = std::min<ULONG>(ExprGetColNo(&ctx), ULONG(wide.size())), length = ExprGetErrLen(&ctx);
  ULONG begin = length <= end ? end - length : 0;
  auto cells = [&](ULONG from, ULONG to) {
    size_t n = 0;
    for (ULONG k = from; k < to; ++k) n += (wide[k] & 0xFC00) != 0xDC00;
    return n;
  };
  std::cerr << std::string(cells(0, begin), ' ') << std::string(std::max<size_t>(1, cells(begin, end)), '^')
            << "\n";
}

int runEval(Args args) {
  EvalOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--code") {
      options.listing = true;
    } else if (args[i] == "--var") {
      if (++i == args.size()) return usageError("--var needs NAME:TYPE[=VALUE]", kUsage);
      options.variables.push_back(args[i]);
    } else if (options.expression.empty() && !args[i].starts_with("--")) {
      options.expression = args[i];
    } else {
      return usageError("unexpected argument '" + std::string(args[i]) + "'", kUsage);
    }
  }
  if (options.expression.empty()) return usageError("missing expression", kUsage);
  if (!options.listing) return usageError("only --code is available", kUsage);

  EvalHost host;
  if (!host.ready()) return usageError(messageText(0x8007000E), kUsage);
  std::string error;
  for (std::string_view spec : options.variables)
    if (!host.define(spec, error)) return usageError(error, kUsage);
  std::basic_string<WCHAR> text = fromUtf8(options.expression);
  LONG start = 0, type = 0;
  DWORD rc = ExprCompile(&host.context(), text.c_str(), &start, 0, nullptr, &type);
  if (rc != 0) {
    printCompileError(host, rc, std::string(options.expression));
    return 1;
  }
  printListing(host, start);
  std::cout << "result type " << toUtf8(qel::expr::typeName(type)) << "\n";
  return 0;
}

}  // namespace

const Command kEvalCommand{"eval", kUsage, "compile an expression and list its code",
                           "Compiles EXPR against the variables given with --var (types char, long,\n"
                           "ulong, double, bitfield, string, date) and lists its instructions: index,\n"
                           "opcode, the type the instruction works on, and the operand pushed or the\n"
                           "indexes of the instructions whose values an operator takes.  A compile\n"
                           "error prints the catalogue message and a caret under the failing symbol.\n",
                           runEval};

}  // namespace qel::cli
