/* What the engine knows about each opcode besides its semantics. */
#ifndef QELBASE_EXPR_INSTRUCTION_SET_H
#define QELBASE_EXPR_INSTRUCTION_SET_H

#include <qel/win32.h>

namespace qel::expr {

struct OpcodeInfo {
  const WCHAR* name;          // "EOP_ADD"
  const WCHAR* operatorText;  // "+", or empty
  int pops;                   // stack entries removed (a call: only the function)
};

// Null beyond the instruction set.
const OpcodeInfo* opcodeInfo(LONG opcode);

// The diagnostic text: "'+'        (EOP_ADD)"; the conversions read
// "->CHAR     (EOP(LPCTSTR)_TO_CHAR)".  Null beyond the instruction set.
const WCHAR* opcodeDisplayText(LONG opcode);

}  // namespace qel::expr

#endif
