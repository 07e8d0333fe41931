/* The listing of compiled code. */
#include "expr/CodeListing.h"

#include <algorithm>
#include <cstdio>

#include "expr/ExprInternal.h"
#include "expr/InstructionSet.h"
#include "strings/StringObject.h"

namespace qel::expr {
namespace {

const WCHAR* symbolAt(ExprContext* ctx, const void* value) {
  ExprOperand* op;
  void* position;
  for (const WCHAR* name = ExprGetFirstVar(ctx, &op, &position); name;
       name = ExprGetNextVar(ctx, &op, &position))
    if (op->pValue == value) return name;
  return nullptr;
}

// The stack entries an instruction takes: a call also its arguments.
size_t operandCount(ExprContext* ctx, const ExprInstr& in, const std::vector<LONG>& stack) {
  const OpcodeInfo* info = opcodeInfo(in.nOpcode);
  size_t pops = info ? size_t(info->pops) : 0;
  if (in.nOpcode != EOP_PAR || stack.empty()) return pops;
  const ExprInstr& function = *instrAt(ctx, stack.back());
  for (LONG i = function.op.nLink; i >= 0 && i < DAGetSize(ctx->hArgTypes) &&
                                   *static_cast<LONG*>(DAGetElem(ctx->hArgTypes, i)) != EXT_Void;
       ++i)
    ++pops;
  return pops;
}

std::string utf8(const WCHAR* text, int length) {
  if (length == 0) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::vector<ListedInstruction> listExpression(ExprContext* ctx, LONG start) {
  std::vector<ListedInstruction> listing;
  std::vector<LONG> stack;
  for (LONG i = start; i >= 0 && i < DAGetSize(ctx->hCode); ++i) {
    const ExprInstr& in = *instrAt(ctx, i);
    ListedInstruction entry{i, &in, symbolAt(ctx, in.op.pValue), {}};
    if (in.nOpcode == EOP_END) {
      entry.symbol = nullptr;
      listing.push_back(std::move(entry));
      break;
    }
    if (in.nOpcode != EOP_NOP) {
      const size_t pops = std::min(operandCount(ctx, in, stack), stack.size());
      entry.operands.assign(stack.end() - ptrdiff_t(pops), stack.end());
      stack.resize(stack.size() - pops);
    }
    stack.push_back(i);
    listing.push_back(std::move(entry));
  }
  return listing;
}

std::string valueText(LONG type, const void* value) {
  char out[64];
  switch (type) {
    case EXT_Char: return "'" + utf8(static_cast<const WCHAR*>(value), 1) + "'";
    case EXT_Long: std::snprintf(out, sizeof out, "%d", int(*static_cast<const LONG*>(value))); break;
    case EXT_ULong: std::snprintf(out, sizeof out, "%uu", unsigned(*static_cast<const ULONG*>(value))); break;
    case EXT_Double: std::snprintf(out, sizeof out, "%.17g", *static_cast<const double*>(value)); break;
    case EXT_BitField: {
      const auto* bits = static_cast<const ExprBitField*>(value);
      std::snprintf(out, sizeof out, "0x%08X%08X", unsigned(bits->ulHigh), unsigned(bits->ulLow));
      break;
    }
    case EXT_String: {
      TS text = static_cast<TS>(const_cast<void*>(value));
      return "\"" + utf8(TSGetStr(text), int(TSGetLen(text))) + "\"";
    }
    case EXT_Date: {
      const auto& v = *static_cast<const SYSTEMTIME*>(value);
      std::snprintf(out, sizeof out, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", v.wYear, v.wMonth, v.wDay, v.wHour,
                    v.wMinute, v.wSecond, v.wMilliseconds);
      break;
    }
    default: return "(no value)";
  }
  return out;
}

}  // namespace qel::expr
