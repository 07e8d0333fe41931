/* The listing of compiled code. */
#include "expr/CodeListing.h"

#include <cstdio>

#include "expr/CodeWalk.h"
#include "expr/ExprInternal.h"
#include "strings/StringObject.h"
#include "strings/Utf8Text.h"

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

}  // namespace

std::vector<ListedInstruction> listExpression(ExprContext* ctx, LONG start) {
  std::vector<ListedInstruction> listing;
  std::vector<LONG> stack;
  if (start < 0) return listing;
  walk(ctx, ULONG(start), stack, [&](ULONG i, ULONG pops, ULONG arguments, const std::vector<LONG>& s) {
    const ExprInstr& in = *instrAt(ctx, LONG(i));
    ListedInstruction entry{LONG(i), &in, in.nOpcode == EOP_END ? nullptr : symbolAt(ctx, in.op.pValue), {}};
    entry.operands.assign(s.end() - ptrdiff_t(pops + arguments), s.end());
    listing.push_back(std::move(entry));
    return true;
  });
  return listing;
}

std::string valueText(LONG type, const void* value) {
  char out[64];
  switch (type) {
    case EXT_Char: return "'" + toUtf8({static_cast<const WCHAR*>(value), 1}) + "'";
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
      return "\"" + toUtf8({TSGetStr(text), size_t(TSGetLen(text))}) + "\"";
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
