/* qel eval: compile an expression over command-line variables. */
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Console.h"
#include "EvalHost.h"
#include "expr/CodeListing.h"
#include "expr/ExprInternal.h"
#include "expr/InstructionSet.h"
#include "frame/ResultCodes.h"

namespace qel::cli {
namespace {

#define EVAL_ARGUMENTS "[--code] EXPR [--var NAME:TYPE[=VALUE]]... [--repeat N] | --xref FILE|- [--var ...]"
constexpr std::string_view kUsage = "qel eval " EVAL_ARGUMENTS;

struct EvalOptions {
  std::string_view expression;
  std::string_view xrefFile;
  bool listing = false;
  DWORD repeat = 1;
  std::vector<std::string_view> variables;
};

// One line per instruction: index, opcode, the type it works on, then the
// operand pushed or the indexes of the instructions whose values it takes.
void printListing(EvalHost& host, LONG start) {
  for (const qel::expr::ListedInstruction& line : qel::expr::listExpression(&host.context(), start)) {
    const ExprInstr& in = *line.instr;
    const qel::expr::OpcodeInfo* info = qel::expr::opcodeInfo(in.nOpcode);
    char head[96];
    if (in.nOpcode == EOP_END) {
      std::snprintf(head, sizeof head, "%4d  EOP_END\n", int(line.index));
      std::cout << head;
      return;
    }
    std::snprintf(head, sizeof head, "%4d  %-16s", int(line.index), info ? toUtf8(info->name).c_str() : "?");
    std::cout << head;
    std::string type = toUtf8(qel::expr::typeName(in.op.nType));
    type.resize(14, ' ');
    std::cout << type;
    const std::string symbol = line.symbol ? toUtf8(line.symbol) : std::string();
    if (in.nOpcode == EOP_NOP) {
      std::cout << (line.symbol ? symbol : qel::expr::valueText(in.op.nType, in.op.pValue)) << "\n";
      continue;
    }
    std::string operands;
    for (LONG k : line.operands) operands += (operands.empty() ? "" : " ") + std::to_string(k);
    std::cout << "[" << operands << "]" << (line.symbol ? " -> " + symbol : "") << "\n";
  }
}

// The message, then the expression with a caret under the failing symbol.
void printCompileError(EvalHost& host, DWORD rc, const std::string& expression) {
  ExprContext& ctx = host.context();
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", unsigned(rc));
  std::cerr << "qel: " << messageText(rc) << " (" << code << ")";
  // These two leave pszErrText as it was, perhaps from an earlier compile.
  const bool errTextSet = rc != QEL_E_LVALUE_REQUIRED && rc != QEL_E_OUTOFMEMORY;
  if (errTextSet && ctx.pszErrText && *ctx.pszErrText) std::cerr << ": " << toUtf8(ctx.pszErrText);
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

// The symbols the compiled expression writes, as the cross-reference
// recorded them, in name order.
std::vector<std::pair<std::string, const ExprOperand*>> assignedSymbols(ExprContext& ctx) {
  std::vector<std::pair<std::string, const ExprOperand*>> symbols;
  ExprOperand* op;
  void* pos;
  for (const WCHAR* name = ExprGetFirstVar(&ctx, &op, &pos); name; name = ExprGetNextVar(&ctx, &op, &pos)) {
    auto* record = static_cast<ExprXRefEntry*>(BTFirst(ctx.hXRefTree));
    while (record && record->pOperand != op) record = static_cast<ExprXRefEntry*>(BTNext(record));
    if (record) symbols.emplace_back(toUtf8(name), op);
  }
  return symbols;
}

int evaluate(EvalHost& host, LONG start, LONG type, DWORD repeat) {
  ExprContext& ctx = host.context();
  auto began = std::chrono::steady_clock::now();
  void* result = nullptr;
  for (DWORD i = 0; i < repeat; ++i) {
    if (DWORD rc = ExprEvaluate(&ctx, start, 0)) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08X", unsigned(rc));
      std::cerr << "qel: " << messageText(rc) << " (" << code << ")\n";
      return 1;
    }
    result = ExprPopResult(&ctx);
  }
  auto elapsed = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - began).count();
  std::cout << qel::expr::valueText(type, result) << " (" << toUtf8(qel::expr::typeName(type)) << ")\n";
  for (const auto& [name, symbol] : assignedSymbols(ctx))
    std::cout << name << " = " << qel::expr::valueText(symbol->nType, symbol->pValue) << "\n";
  if (repeat > 1) std::cout << repeat << " evaluations, " << elapsed / repeat << " ns each\n";
  return 0;
}

struct Compiled {
  std::string text;
  LONG start = 0, type = 0;
};

// The expressions (1-based) whose start indexes a cross-reference list
// holds from `link` on, those starting below `before` only.
std::vector<size_t> modifiers(ExprContext& ctx, const std::vector<Compiled>& set, LONG link, LONG before) {
  std::vector<size_t> out;
  for (LONG i = link; i < DAGetSize(ctx.hXRefList); ++i) {
    LONG start = *static_cast<LONG*>(DAGetElem(ctx.hXRefList, i));
    if (start == -1 || start >= before) break;
    for (size_t k = 0; k < set.size(); ++k)
      if (set[k].start == start) out.push_back(k + 1);
  }
  return out;
}

std::string numbers(const std::vector<size_t>& list) {
  std::string out;
  for (size_t n : list) out += (out.empty() ? "" : ", ") + std::to_string(n);
  return out;
}

// One expression per line, compiled into one context with cross-references
// on: who modifies what, who depends on whom, then each evaluated in turn.
int runXRef(EvalHost& host, std::string_view file) {
  std::string input;
  if (!readInput(file, input)) return 1;
  ExprContext& ctx = host.context();
  std::vector<Compiled> set;
  DWORD rc = ExprXRefOn(&ctx);
  for (const std::string& line : splitLines(input)) {
    if (rc) break;
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    Compiled& c = set.emplace_back(Compiled{line});
    std::basic_string<WCHAR> text = fromUtf8(line);
    rc = ExprCompile(&ctx, text.c_str(), &c.start, 0, nullptr, &c.type);
    if (rc) {
      std::cerr << "qel: expression " << set.size() << ":\n";
      printCompileError(host, rc, line);
      return 1;
    }
  }
  ExprXRefOff(&ctx);
  if (rc == 0) rc = ExprXRef(&ctx);
  if (rc) return usageError(messageText(rc), kUsage);
  for (size_t k = 0; k < set.size(); ++k) std::cout << k + 1 << ": " << set[k].text << "\n";
  ExprOperand* op;
  void* pos;
  for (const WCHAR* name = ExprGetFirstVar(&ctx, &op, &pos); name; name = ExprGetNextVar(&ctx, &op, &pos))
    if (op->nStorage != EXS_Function && op->nLink != -1)
      std::cout << toUtf8(name) << " is modified by " << numbers(modifiers(ctx, set, op->nLink, INT32_MAX))
                << "\n";
  for (size_t k = 0; k < set.size(); ++k) {
    LONG end = k + 1 < set.size() ? set[k + 1].start : DAGetSize(ctx.hCode);
    std::vector<size_t> on;
    for (LONG i = set[k].start; i < end; ++i) {
      const ExprInstr& instr = *qel::expr::instrAt(&ctx, i);
      if (instr.nOpcode != EOP_NOP || instr.op.nLink == -1 || instr.op.nStorage == EXS_Function) continue;
      for (size_t m : modifiers(ctx, set, instr.op.nLink, set[k].start))
        if (std::find(on.begin(), on.end(), m) == on.end()) on.push_back(m);
    }
    std::sort(on.begin(), on.end());
    if (!on.empty()) std::cout << k + 1 << " depends on " << numbers(on) << "\n";
  }
  for (size_t k = 0; k < set.size(); ++k) {
    LONG depth = ctx.nStackDepth;
    if (DWORD failed = ExprEvaluate(&ctx, set[k].start, 0)) {
      std::cout << k + 1 << " fails: " << messageText(failed) << "\n";
      ctx.nStackDepth = depth;
      continue;
    }
    std::cout << k + 1 << " = " << qel::expr::valueText(set[k].type, ExprPopResult(&ctx)) << " ("
              << toUtf8(qel::expr::typeName(set[k].type)) << ")\n";
  }
  return 0;
}

int runEval(Args args) {
  EvalOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--code") {
      options.listing = true;
    } else if (args[i] == "--var") {
      if (++i == args.size()) return usageError("--var needs NAME:TYPE[=VALUE]", kUsage);
      options.variables.push_back(args[i]);
    } else if (args[i] == "--xref") {
      if (++i == args.size()) return usageError("--xref needs a file (or - for standard input)", kUsage);
      options.xrefFile = args[i];
    } else if (args[i] == "--repeat") {
      if (++i == args.size() || !parseCode(args[i], options.repeat) || options.repeat == 0)
        return usageError("--repeat needs a count of at least 1", kUsage);
    } else if (options.expression.empty() && !args[i].starts_with("--")) {
      options.expression = args[i];
    } else {
      return usageError("unexpected argument '" + std::string(args[i]) + "'", kUsage);
    }
  }
  if (options.expression.empty() == options.xrefFile.empty())
    return usageError(options.xrefFile.empty() ? "missing expression" : "--xref takes no expression", kUsage);

  EvalHost host;
  if (!host.ready()) return usageError(messageText(QEL_E_OUTOFMEMORY), kUsage);
  std::string error;
  for (std::string_view spec : options.variables)
    if (!host.define(spec, error)) return usageError(error, kUsage);
  if (!options.xrefFile.empty()) return runXRef(host, options.xrefFile);
  std::basic_string<WCHAR> text = fromUtf8(options.expression);
  LONG start = 0, type = 0;
  ExprContext& ctx = host.context();
  DWORD rc = ExprXRefOn(&ctx);
  if (rc == 0) rc = ExprCompile(&ctx, text.c_str(), &start, 0, nullptr, &type);
  ExprXRefOff(&ctx);
  if (rc != 0) {
    printCompileError(host, rc, std::string(options.expression));
    return 1;
  }
  if (!options.listing) return evaluate(host, start, type, options.repeat);
  printListing(host, start);
  std::cout << "result type " << toUtf8(qel::expr::typeName(type)) << "\n";
  return 0;
}

}  // namespace

const std::string kDetails =
    "Compiles EXPR against the variables given with --var (types char, long,\n"
    "ulong, double, bitfield, string, date; a date is YYYY-MM-DD[THH:MM[:SS]] or an\n"
    "ISO duration such as P1M), evaluates it and prints the result with its type\n"
    "and the final value of every variable it assigns.  --repeat N evaluates it N\n"
    "times and reports the time per evaluation.\n\n"
    "--code lists the instructions instead: index, opcode, the type the instruction\n"
    "works on, and the operand pushed or the indexes of the instructions whose\n"
    "values an operator takes.  A compile error prints the catalogue message and a\n"
    "caret line under the failing symbol.\n\n"
    "--xref FILE reads one expression per line (- for standard input), compiles\n"
    "them into one context with cross-references on, prints which expressions\n"
    "modify each variable and which depend on which (reading a variable first\n"
    "re-runs the earlier expressions that modify it), then evaluates each.\n\n"
    "Functions:\n" +
    builtinList();

const Command kEvalCommand{"eval", EVAL_ARGUMENTS, "compile and evaluate an expression", kDetails, runEval};

}  // namespace qel::cli
