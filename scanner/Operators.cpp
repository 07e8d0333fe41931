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

// The rules as lookups, so that an operator is read with a few loads and
// hardly a branch to guess: random operators defeat the branch predictor of
// a rule walk.
struct OperatorTable {
  std::array<LONG, 128> single{};                           // first character -> its code alone
  std::array<unsigned char, 128> rule{};                    // first character -> rule number + 1
  std::array<std::array<unsigned char, 128>, 16> follow{};  // [rule + 1][next] -> follow number + 1
  std::array<std::array<Follow, 4>, 16> follows{};          // [rule + 1][follow + 1]; [..][0] is none
};

template <size_t N>
constexpr OperatorTable tabulate(const OperatorRule (&rules)[N]) {
  static_assert(N < 16);
  OperatorTable t{};
  for (WCHAR c = 0; c < 128; ++c) t.single[c] = c;
  for (size_t r = 0; r < N; ++r) {
    const OperatorRule& rule = rules[r];
    t.single[rule.first] = rule.single;
    t.rule[rule.first] = static_cast<unsigned char>(r + 1);
    for (size_t f = 0; f < rule.follows.size(); ++f) {
      const Follow& follow = rule.follows[f];
      if (follow.next == 0) continue;
      t.follow[r + 1][follow.next] = static_cast<unsigned char>(f + 1);
      t.follows[r + 1][f + 1] = follow;
    }
  }
  return t;
}

constexpr OperatorTable kCTable = tabulate(kCOperators);
constexpr OperatorTable kDottedTable = tabulate(kDottedOperators);

LONG scanOperator(SymContext* s, const OperatorTable& table) {
  const WCHAR* p = s->pszLine + s->nColumnNo;
  const WCHAR first = p[0], next = p[1];
  if (first >= 128) {
    takeChars(s, 1);
    return LONG(first);
  }
  const unsigned rule = table.rule[first];
  // A follower is never the line's end, so the character after it is there.
  const unsigned f = next < 128 ? table.follow[rule][next] : 0;
  const Follow& follow = table.follows[rule][f];
  const bool withEquals = follow.codeWithEquals != 0 && p[2] == u'=';
  takeChars(s, f == 0 ? 1 : withEquals ? 3 : 2);
  return f == 0 ? table.single[first] : withEquals ? follow.codeWithEquals : follow.code;
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
    takeChars(s, ULONG(w.word.size() + 1));
    if (w.truth >= 0) setTruth(s, w.truth);
    return w.code;
  }
  takeChars(s, 1);
  return u'.';
}

}  // namespace

LONG scanCOperator(SymContext* s) { return scanOperator(s, kCTable); }

LONG scanDottedOperator(SymContext* s) {
  if (current(s) == u'.') return scanDottedWord(s);
  return scanOperator(s, kDottedTable);
}

}  // namespace qel::scanner
