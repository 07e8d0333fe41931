/*
 * The operator tables of the two dialects.  For each first character the
 * following characters are tried in table order; a character with no rule
 * is a symbol of its own code.
 */
#include <array>
#include <string_view>

#include "scanner/ScannerText.h"

namespace qel::scanner {
namespace {

struct Follow {
  WCHAR next;
  LONG code;
  LONG codeWithEquals;  // when a third '=' follows; 0: no three-character form
};

struct OperatorRule {
  WCHAR first;
  LONG single;  // the code of the character alone: mostly itself
  std::array<Follow, 3> follows;
};

constexpr OperatorRule kCOperators[] = {
    {u'!', u'!', {{{u'=', SYM_NE, 0}}}},
    {u'%', u'%', {{{u'=', SYM_MOD_ASSIGN, 0}}}},
    {u'&', u'&', {{{u'&', SYM_LOGICAL_AND, 0}, {u'=', SYM_AND_ASSIGN, 0}}}},
    {u'*', u'*', {{{u'/', SYM_COMMENT_CLOSE, 0}, {u'=', SYM_MUL_ASSIGN, 0}}}},
    {u'+', u'+', {{{u'+', SYM_INCREMENT, 0}, {u'=', SYM_ADD_ASSIGN, 0}}}},
    {u'-', u'-', {{{u'-', SYM_DECREMENT, 0}, {u'=', SYM_SUB_ASSIGN, 0}, {u'>', SYM_ARROW, 0}}}},
    {u'/', u'/', {{{u'*', SYM_COMMENT_OPEN, 0}, {u'/', SYM_LINE_COMMENT, 0}, {u'=', SYM_DIV_ASSIGN, 0}}}},
    {u':', u':', {{{u':', SYM_SCOPE, 0}}}},
    {u'<', u'<', {{{u'<', SYM_SHL, SYM_SHL_ASSIGN}, {u'=', SYM_LE, 0}}}},
    {u'=', u'=', {{{u'=', SYM_EQ, 0}}}},
    {u'>', u'>', {{{u'=', SYM_GE, 0}, {u'>', SYM_SHR, SYM_SHR_ASSIGN}}}},
    {u'^', u'^', {{{u'=', SYM_XOR_ASSIGN, 0}}}},
    {u'|', u'|', {{{u'=', SYM_OR_ASSIGN, 0}, {u'|', SYM_LOGICAL_OR, 0}}}},
    {u'~', u'~', {{{u'=', SYM_TILDE_NE, 0}}}},
};

constexpr OperatorRule kDottedOperators[] = {
    {u'!', u'!', {{{u'=', SYM_NE, 0}}}},
    {u'<', u'<', {{{u'=', SYM_LE, 0}, {u'>', SYM_NE, 0}}}},
    {u'=', SYM_EQ, {{{u'=', SYM_EQ, 0}}}},
    {u'>', u'>', {{{u'=', SYM_GE, 0}}}},
};

// First character (ASCII) -> rule number + 1, so the dispatch is one load.
using RuleIndex = std::array<unsigned char, 128>;

template <size_t N>
constexpr RuleIndex indexRules(const OperatorRule (&rules)[N]) {
  RuleIndex index{};
  for (size_t i = 0; i < N; ++i) index[rules[i].first] = static_cast<unsigned char>(i + 1);
  return index;
}

constexpr RuleIndex kCIndex = indexRules(kCOperators);
constexpr RuleIndex kDottedIndex = indexRules(kDottedOperators);

LONG takeChar(SymContext* s) {
  WCHAR c = current(s);
  putAlpha(s, c);
  s->nColumnNo++;
  return LONG(c);
}

LONG scanOperator(SymContext* s, const OperatorRule* rules, const RuleIndex& index) {
  const WCHAR first = current(s);
  if (first >= 128 || index[first] == 0) return takeChar(s);
  const OperatorRule& rule = rules[index[first] - 1];
  takeChar(s);
  for (const Follow& f : rule.follows) {
    if (f.next == 0 || current(s) != f.next) continue;
    takeChar(s);
    if (f.codeWithEquals == 0 || current(s) != u'=') return f.code;
    takeChar(s);
    return f.codeWithEquals;
  }
  return rule.single;
}

struct DottedWord {
  std::basic_string_view<WCHAR> word;  // after the leading '.', in upper case
  LONG code;
  int truth;  // .T. and .F.: 1 or 0; -1 for the logical operators
};

constexpr DottedWord kDottedWords[] = {
    {QEL_W("AND."), SYM_LOGICAL_AND, -1},
    {QEL_W("OR."), SYM_LOGICAL_OR, -1},
    {QEL_W("NOT."), '!', -1},
    {QEL_W("XOR."), '^', -1},
    {QEL_W("T."), SYM_LONG, 1},
    {QEL_W("F."), SYM_LONG, 0},
};

bool followsDot(const SymContext* s, std::basic_string_view<WCHAR> word) {
  for (size_t i = 0; i < word.size(); ++i) {
    WCHAR c = peek(s, ULONG(1 + i));
    if ((c >= u'a' && c <= u'z' ? WCHAR(c - 0x20) : c) != word[i]) return false;
  }
  return true;
}

void setTruth(SymContext* s, int truth) {
  s->sShort = SHORT(truth);
  s->usUShort = USHORT(truth);
  s->lLong = truth;
  s->ulULong = ULONG(truth);
  s->dDouble = truth;
}

LONG scanDottedWord(SymContext* s) {
  for (const DottedWord& w : kDottedWords) {
    if (!followsDot(s, w.word)) continue;
    for (size_t i = 0; i <= w.word.size(); ++i) takeChar(s);
    if (w.truth >= 0) setTruth(s, w.truth);
    return w.code;
  }
  return takeChar(s);
}

}  // namespace

LONG scanCOperator(SymContext* s) { return scanOperator(s, kCOperators, kCIndex); }

LONG scanDottedOperator(SymContext* s) {
  if (current(s) == u'.') return scanDottedWord(s);
  return scanOperator(s, kDottedOperators, kDottedIndex);
}

}  // namespace qel::scanner
