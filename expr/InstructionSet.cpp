/* The opcode table and the display texts built from it. */
#include "expr/InstructionSet.h"

#include <array>
#include <string>

#include "expr/Opcodes.h"

namespace qel::expr {
namespace {

// clang-format off
constexpr OpcodeInfo kOpcodes[] = {
  {u"EOP_END", u"", 0},        {u"EOP_NOP", u"", 0},        {u"EOP_ASS", u"=", 2},
  {u"EOP_MULASS", u"*=", 2},   {u"EOP_DIVASS", u"/=", 2},   {u"EOP_MODASS", u"%=", 2},
  {u"EOP_ADDASS", u"+=", 2},   {u"EOP_SUBASS", u"-=", 2},   {u"EOP_SHLASS", u"<<=", 2},
  {u"EOP_SHRASS", u">>=", 2},  {u"EOP_ANDASS", u"&=", 2},   {u"EOP_XORASS", u"^=", 2},
  {u"EOP_ORASS", u"|=", 2},    {u"EOP_LOR", u"||", 2},      {u"EOP_LAND", u"&&", 2},
  {u"EOP_OR", u"|", 2},        {u"EOP_XOR", u"^", 2},       {u"EOP_AND", u"&", 2},
  {u"EOP_EQU", u"==", 2},      {u"EOP_NEQ", u"!=", 2},      {u"EOP_LT", u"<", 2},
  {u"EOP_GT", u">", 2},        {u"EOP_LEQ", u"<=", 2},      {u"EOP_GEQ", u">=", 2},
  {u"EOP_SHL", u"<<", 2},      {u"EOP_SHR", u">>", 2},      {u"EOP_ADD", u"+", 2},
  {u"EOP_SUB", u"-", 2},       {u"EOP_MUL", u"*", 2},       {u"EOP_DIV", u"/", 2},
  {u"EOP_MOD", u"%", 2},       {u"EOP_PREINC", u"++", 1},   {u"EOP_PREDEC", u"--", 1},
  {u"EOP_POS", u"+", 1},       {u"EOP_NEG", u"-", 1},       {u"EOP_LNOT", u"!", 1},
  {u"EOP_NOT", u"~", 1},       {u"EOP_DRF", u"*", 1},       {u"EOP_ADR", u"&", 1},
  {u"EOP_POSTINC", u"++", 1},  {u"EOP_POSTDEC", u"--", 1},  {u"EOP_IDX", u"[]", 2},
  {u"EOP_PAR", u"()", 1},      {u"EOP_DFA", u".", 1},       {u"EOP_IFA", u"->", 1},
  {u"EOP_TO_CHAR", u"", 1},    {u"EOP_TO_LONG", u"", 1},    {u"EOP_TO_ULONG", u"", 1},
  {u"EOP_TO_BITFIELD", u"", 1},{u"EOP_TO_DOUBLE", u"", 1},  {u"EOP_TO_STRING", u"", 1},
};
// clang-format on
static_assert(std::size(kOpcodes) == EOP_LAST + 1);

constexpr size_t kOperatorField = 11;

std::u16string displayText(LONG opcode) {
  std::u16string name = kOpcodes[opcode].name, field;
  if (opcode == EOP_END) return u"\t\t   (" + name + u")";
  if (opcode >= EOP_TO_CHAR) {
    std::u16string target = name.substr(7);  // behind "EOP_TO_"
    field = u"->" + target;
    name = u"EOP(LPCTSTR)_TO_" + target;
  } else if (opcode != EOP_NOP) {
    field = u"'" + std::u16string(kOpcodes[opcode].operatorText) + u"'";
  }
  field.resize(kOperatorField, u' ');
  return field + u"(" + name + u")";
}

}  // namespace

const OpcodeInfo* opcodeInfo(LONG opcode) {
  return opcode >= 0 && opcode <= EOP_LAST ? &kOpcodes[opcode] : nullptr;
}

const WCHAR* opcodeDisplayText(LONG opcode) {
  static const auto texts = [] {
    std::array<std::u16string, EOP_LAST + 1> all;
    for (LONG op = 0; op <= EOP_LAST; ++op) all[size_t(op)] = displayText(op);
    return all;
  }();
  return opcodeInfo(opcode) ? texts[size_t(opcode)].c_str() : nullptr;
}

}  // namespace qel::expr
