/* The qel tool as a host of the expression engine: its variables and values. */
#ifndef QEL_CLI_EVAL_HOST_H
#define QEL_CLI_EVAL_HOST_H

#include <deque>
#include <string>
#include <string_view>

#include "expr/Expression.h"
#include "strings/StringObject.h"

namespace qel::cli {

struct Variable {
  std::basic_string<WCHAR> name;
  LONG type = EXT_Void;
  union {
    WCHAR ch;
    LONG l;
    ULONG ul;
    double d;
    ExprBitField bits;
  } number{};
  TSString* text = nullptr;
  SYSTEMTIME* date = nullptr;
  void* storage() {
    if (type == EXT_String) return text;
    return type == EXT_Date ? static_cast<void*>(date) : &number;
  }
};

class EvalHost {
 public:
  EvalHost();
  ~EvalHost();
  EvalHost(const EvalHost&) = delete;
  EvalHost& operator=(const EvalHost&) = delete;

  bool ready() const { return ready_; }
  ExprContext& context() { return ctx_; }

  // NAME:TYPE[=VALUE], TYPE one of char long ulong double bitfield string
  // date; false with the reason in `error`.
  bool define(std::string_view spec, std::string& error);

  // Storage the built-in functions return their strings and dates in.
  TSString* scratchText() { return scratchText_; }
  SYSTEMTIME* scratchDate() { return scratchDate_; }

 private:
  ExprContext ctx_{};  // ExprInit leaves fields it does not set as they are
  bool initialised_ = false;
  bool ready_ = false;
  std::deque<Variable> variables_;  // stable addresses for the engine
  TSString* scratchText_ = nullptr;
  SYSTEMTIME* scratchDate_ = nullptr;
};

// The host functions every `qel eval` has, for --help: "max(long, long) -> long".
std::string builtinList();

}  // namespace qel::cli

#endif
