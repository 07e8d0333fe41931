/* The qel tool's expression host: variables from the command line. */
#include "EvalHost.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

#include "Console.h"
#include "DateValues.h"
#include "datetime/DateTime.h"
#include "strings/StringObject.h"

namespace qel::cli {
namespace {

struct TypeWord {
  std::string_view word;
  LONG type;
};
constexpr TypeWord kTypes[] = {{"char", EXT_Char},     {"long", EXT_Long},         {"ulong", EXT_ULong},
                               {"double", EXT_Double}, {"bitfield", EXT_BitField}, {"string", EXT_String},
                               {"date", EXT_Date}};

// Decimal within T's range, or hexadecimal (0x...) as a bit pattern of T's
// width; a minus sign negates either.  Anything that does not fit is refused.
template <class T>
bool parseInteger(std::string_view text, T& out) {
  using Unsigned = std::make_unsigned_t<T>;
  int base = 10;
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  unsigned long long magnitude = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return false;
  unsigned long long limit = std::numeric_limits<Unsigned>::max();
  if (std::is_signed_v<T> && base == 10)
    limit = negative ? 0ull - (unsigned long long)std::numeric_limits<T>::min()
                     : (unsigned long long)std::numeric_limits<T>::max();
  if (magnitude > limit || (negative && std::is_unsigned_v<T> && base == 10 && magnitude != 0)) return false;
  out = T(Unsigned(negative ? 0 - magnitude : magnitude));
  return true;
}

bool parseNumber(Variable& v, std::string_view text) {
  switch (v.type) {
    case EXT_Char: {
      std::basic_string<WCHAR> wide = fromUtf8(text);
      if (wide.size() != 1) return false;
      v.number.ch = wide[0];
      return true;
    }
    case EXT_Long: return parseInteger(text, v.number.l);
    case EXT_ULong: return parseInteger(text, v.number.ul);
    case EXT_BitField: {
      unsigned long long bits = 0;
      if (!parseInteger(text, bits)) return false;
      v.number.bits = {ULONG(bits >> 32), ULONG(bits)};
      return true;
    }
    case EXT_Double: {
      std::string copy(text);
      char* end = nullptr;
      v.number.d = std::strtod(copy.c_str(), &end);
      return !copy.empty() && *end == 0;
    }
    default: return false;
  }
}

template <class T>
T popValue(ExprContext* ctx) {
  return *static_cast<T*>(ExprPopResult(ctx));
}

EvalHost& hostOf(ExprContext* ctx) { return *static_cast<EvalHost*>(ExprGetUserPtr(ctx)); }

LONG QEL_CDECL builtinMax(ExprContext* ctx, LONG_PTR) {
  LONG b = popValue<LONG>(ctx), a = popValue<LONG>(ctx);
  return a > b ? a : b;
}
LONG QEL_CDECL builtinMin(ExprContext* ctx, LONG_PTR) {
  LONG b = popValue<LONG>(ctx), a = popValue<LONG>(ctx);
  return a < b ? a : b;
}
LONG QEL_CDECL builtinLen(ExprContext* ctx, LONG_PTR) {
  return TSGetLen(static_cast<TS>(ExprPopResult(ctx)));
}
double QEL_CDECL builtinSqrt(ExprContext* ctx, LONG_PTR) { return std::sqrt(popValue<double>(ctx)); }
TS QEL_CDECL builtinUpper(ExprContext* ctx, LONG_PTR) {
  TS text = TSCopy(hostOf(ctx).scratchText(), static_cast<TS>(ExprPopResult(ctx)));
  return text ? TSUpper(text) : hostOf(ctx).scratchText();
}
TD QEL_CDECL builtinNow(ExprContext* ctx, LONG_PTR) { return TDGetActTime(hostOf(ctx).scratchDate()); }

struct Builtin {
  const WCHAR* name;
  void* function;
  LONG result;
  LONG args[2];
  int count;
};
const Builtin kBuiltins[] = {
    {QEL_W("max"), (void*)&builtinMax, EXT_Long, {EXT_Long, EXT_Long}, 2},
    {QEL_W("min"), (void*)&builtinMin, EXT_Long, {EXT_Long, EXT_Long}, 2},
    {QEL_W("len"), (void*)&builtinLen, EXT_Long, {EXT_String}, 1},
    {QEL_W("sqrt"), (void*)&builtinSqrt, EXT_Double, {EXT_Double}, 1},
    {QEL_W("upper"), (void*)&builtinUpper, EXT_String, {EXT_String}, 1},
    {QEL_W("now"), (void*)&builtinNow, EXT_Date, {}, 0},
};

std::string typeWord(LONG type) {
  for (const TypeWord& t : kTypes)
    if (t.type == type) return std::string(t.word);
  return "void";
}

}  // namespace

std::string builtinList() {
  std::string out;
  for (const Builtin& b : kBuiltins) {
    out += "  " + toUtf8(b.name) + "(";
    for (int i = 0; i < b.count; ++i) out += (i ? ", " : "") + typeWord(b.args[i]);
    out += ") -> " + typeWord(b.result) + "\n";
  }
  return out;
}

EvalHost::EvalHost() {
  initialised_ =
      ExprInit(&ctx_, 255, 1024, 0, SYM_MODE_C, nullptr, 1, nullptr, nullptr, nullptr, 0, nullptr) == 0;
  if (!initialised_) return;
  ExprSetUserPtr(&ctx_, this);
  scratchText_ = TSNew();
  scratchDate_ = TDNew();
  ready_ = scratchText_ && scratchDate_;
  for (const Builtin& b : kBuiltins)
    ready_ =
        ready_ && (b.count == 2   ? ExprDefineFn(&ctx_, b.function, b.name, b.result, 2, b.args[0], b.args[1])
                   : b.count == 1 ? ExprDefineFn(&ctx_, b.function, b.name, b.result, 1, b.args[0])
                                  : ExprDefineFn(&ctx_, b.function, b.name, b.result, 0)) == 0;
}

EvalHost::~EvalHost() {
  if (initialised_) ExprRelease(&ctx_);
  TSFree(scratchText_);
  TDFree(scratchDate_);
  for (Variable& v : variables_) {
    TSFree(v.text);
    TDFree(v.date);
  }
}

bool EvalHost::define(std::string_view spec, std::string& error) {
  size_t colon = spec.find(':'), equals = spec.find('=');
  if (colon == std::string_view::npos || colon == 0 || (equals != std::string_view::npos && equals < colon)) {
    error = "--var needs NAME:TYPE[=VALUE], not '" + std::string(spec) + "'";
    return false;
  }
  std::string_view typeWord =
      spec.substr(colon + 1, equals == std::string_view::npos ? spec.npos : equals - colon - 1);
  Variable& v = variables_.emplace_back();
  v.name = fromUtf8(spec.substr(0, colon));
  for (const TypeWord& t : kTypes)
    if (typeWord == t.word) v.type = t.type;
  if (v.type == EXT_Void) {
    error = "unknown type '" + std::string(typeWord) + "' (char long ulong double bitfield string date)";
    return false;
  }
  std::string_view value = equals == std::string_view::npos ? std::string_view() : spec.substr(equals + 1);
  bool valid = true;
  if (v.type == EXT_String) {
    v.text = TSNew();
    valid = v.text && TSSetStr(v.text, fromUtf8(value).c_str());
  } else if (v.type == EXT_Date) {
    v.date = TDNew();
    valid = v.date && (value.empty() || parseValue(value, *v.date) || parseInterval(value, *v.date));
  } else {
    valid = equals == std::string_view::npos || parseNumber(v, value);
  }
  if (!valid) {
    error = "bad value for " + std::string(typeWord) + ": '" + std::string(value) + "'";
    return false;
  }
  DWORD rc = ExprDefineVar(&ctx_, v.storage(), v.name.c_str(), v.type);
  if (rc != 0) error = messageText(rc) + " (" + std::string(spec.substr(0, colon)) + ")";
  return rc == 0;
}

}  // namespace qel::cli
