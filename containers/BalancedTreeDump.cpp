/* The balanced tree's shape in the trace, for diagnosis. */
#include <cstdint>

#include "containers/BalancedTree.h"
#include "trace/Trace.h"

namespace {

constexpr ULONG kLevel = 5;
constexpr ULONG kFacility = 18;

// The "%08lx" fields hold 32 bits.
ULONG address(const BTNode* node) { return ULONG(reinterpret_cast<uintptr_t>(node)); }

void dump(const BTNode* node, int depth, const WCHAR* label) {
  if (!node) return;
  const WCHAR balance = node->nBalance < 0 ? WCHAR('<') : node->nBalance > 0 ? WCHAR('>') : WCHAR('-');
  TraceVAF(pTraceObj, kLevel, kFacility, QEL_W("%02d-%s: %*.*s N:%08lx L:%08lx R:%08lx U:%08lx B:%c"), depth,
           label, 2 * depth, 2 * depth, QEL_W(""), address(node), address(node->pLeft), address(node->pRight),
           address(node->pParent), int(balance));
  dump(node->pLeft, depth + 1, QEL_W("Left"));
  dump(node->pRight, depth + 1, QEL_W("Rght"));
}

}  // namespace

extern "C" void QEL_CDECL BTTrace(BT bt) {
  if (!bt) return;
  TraceVAF(pTraceObj, kLevel, kFacility, QEL_W("ROOT: %08lx Anz:%d"), address(bt->pRoot), int(bt->nCount));
  dump(bt->pRoot, 0, QEL_W("ROOT"));
}
