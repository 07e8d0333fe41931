/* The opcode table and the display texts built from it. */
#include "expr/InstructionSet.h"

#include <array>
#include <string>

#include "expr/Opcodes.h"

namespace qel::expr {
namespace {

// clang-format off
constexpr OpcodeInfo kOpcodes[] = {
  {QEL_W("EOP_END"), QEL_W(""), 0},        {QEL_W("EOP_NOP"), QEL_W(""), 0},        {QEL_W("EOP_ASS"), QEL_W("="), 2},
  {QEL_W("EOP_MULASS"), QEL_W("*="), 2},   {QEL_W("EOP_DIVASS"), QEL_W("/="), 2},   {QEL_W("EOP_MODASS"), QEL_W("%="), 2},
  {QEL_W("EOP_ADDASS"), QEL_W("+="), 2},   {QEL_W("EOP_SUBASS"), QEL_W("-="), 2},   {QEL_W("EOP_SHLASS"), QEL_W("<<="), 2},
  {QEL_W("EOP_SHRASS"), QEL_W(">>="), 2},  {QEL_W("EOP_ANDASS"), QEL_W("&="), 2},   {QEL_W("EOP_XORASS"), QEL_W("^="), 2},
  {QEL_W("EOP_ORASS"), QEL_W("|="), 2},    {QEL_W("EOP_LOR"), QEL_W("||"), 2},      {QEL_W("EOP_LAND"), QEL_W("&&"), 2},
  {QEL_W("EOP_OR"), QEL_W("|"), 2},        {QEL_W("EOP_XOR"), QEL_W("^"), 2},       {QEL_W("EOP_AND"), QEL_W("&"), 2},
  {QEL_W("EOP_EQU"), QEL_W("=="), 2},      {QEL_W("EOP_NEQ"), QEL_W("!="), 2},      {QEL_W("EOP_LT"), QEL_W("<"), 2},
  {QEL_W("EOP_GT"), QEL_W(">"), 2},        {QEL_W("EOP_LEQ"), QEL_W("<="), 2},      {QEL_W("EOP_GEQ"), QEL_W(">="), 2},
  {QEL_W("EOP_SHL"), QEL_W("<<"), 2},      {QEL_W("EOP_SHR"), QEL_W(">>"), 2},      {QEL_W("EOP_ADD"), QEL_W("+"), 2},
  {QEL_W("EOP_SUB"), QEL_W("-"), 2},       {QEL_W("EOP_MUL"), QEL_W("*"), 2},       {QEL_W("EOP_DIV"), QEL_W("/"), 2},
  {QEL_W("EOP_MOD"), QEL_W("%"), 2},       {QEL_W("EOP_PREINC"), QEL_W("++"), 1},   {QEL_W("EOP_PREDEC"), QEL_W("--"), 1},
  {QEL_W("EOP_POS"), QEL_W("+"), 1},       {QEL_W("EOP_NEG"), QEL_W("-"), 1},       {QEL_W("EOP_LNOT"), QEL_W("!"), 1},
  {QEL_W("EOP_NOT"), QEL_W("~"), 1},       {QEL_W("EOP_DRF"), QEL_W("*"), 1},       {QEL_W("EOP_ADR"), QEL_W("&"), 1},
  {QEL_W("EOP_POSTINC"), QEL_W("++"), 1},  {QEL_W("EOP_POSTDEC"), QEL_W("--"), 1},  {QEL_W("EOP_IDX"), QEL_W("[]"), 2},
  {QEL_W("EOP_PAR"), QEL_W("()"), 1},      {QEL_W("EOP_DFA"), QEL_W("."), 1},       {QEL_W("EOP_IFA"), QEL_W("->"), 1},
  {QEL_W("EOP_TO_CHAR"), QEL_W(""), 1},    {QEL_W("EOP_TO_LONG"), QEL_W(""), 1},    {QEL_W("EOP_TO_ULONG"), QEL_W(""), 1},
  {QEL_W("EOP_TO_BITFIELD"), QEL_W(""), 1},{QEL_W("EOP_TO_DOUBLE"), QEL_W(""), 1},  {QEL_W("EOP_TO_STRING"), QEL_W(""), 1},
};
// clang-format on
static_assert(std::size(kOpcodes) == EOP_LAST + 1);

constexpr size_t kOperatorField = 11;

std::basic_string<WCHAR> displayText(LONG opcode) {
  std::basic_string<WCHAR> name = kOpcodes[opcode].name, field;
  if (opcode == EOP_END) return QEL_W("\t\t   (") + name + QEL_W(")");
  if (opcode >= EOP_TO_CHAR) {
    std::basic_string<WCHAR> target = name.substr(7);  // behind "EOP_TO_"
    field = QEL_W("->") + target;
    name = QEL_W("EOP(LPCTSTR)_TO_") + target;
  } else if (opcode != EOP_NOP) {
    field = QEL_W("'") + std::basic_string<WCHAR>(kOpcodes[opcode].operatorText) + QEL_W("'");
  }
  field.resize(kOperatorField, u' ');
  return field + QEL_W("(") + name + QEL_W(")");
}

}  // namespace

const OpcodeInfo* opcodeInfo(LONG opcode) {
  return opcode >= 0 && opcode <= EOP_LAST ? &kOpcodes[opcode] : nullptr;
}

const WCHAR* opcodeDisplayText(LONG opcode) {
  static const auto texts = [] {
    std::array<std::basic_string<WCHAR>, EOP_LAST + 1> all;
    for (LONG op = 0; op <= EOP_LAST; ++op) all[size_t(op)] = displayText(op);
    return all;
  }();
  return opcodeInfo(opcode) ? texts[size_t(opcode)].c_str() : nullptr;
}

}  // namespace qel::expr
