/* The trace records of BTTrace and DLListElements, byte for byte, and
   their silence when the default trace object holds them back.  The
   default object takes its settings once per process: one test. */
#include <cstdio>

#include "QELBase.h"
#include "trace/TraceFixture.h"

namespace {

using qel::test::TraceTest;

LONG QEL_CDECL compareInts(const void* a, const void* b) {
  return *static_cast<const int*>(a) - *static_cast<const int*>(b);
}

std::string hex8(const void* p) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(uint32_t(uintptr_t(p))));
  return text;
}

class DumpTest : public TraceTest {
 protected:
  // The records after the two start records, without their prefixes.
  static std::vector<std::string> bodies(const std::string& file) {
    std::vector<std::string> out;
    const auto all = lines(file);
    for (size_t i = 2; i < all.size(); ++i) out.push_back(all[i].size() > 18 ? all[i].substr(18) : "");
    return out;
  }
};

// What the dump says of one node.
std::string nodeLine(int depth, const char* label, const BTNode* n, char balance) {
  return (depth < 10 ? "0" : "") + std::to_string(depth) + "-" + label + ": " +
         std::string(size_t(2 * depth), ' ') + " N:" + hex8(n) + " L:" + hex8(n->pLeft) +
         " R:" + hex8(n->pRight) + " U:" + hex8(n->pParent) + " B:" + balance;
}

TEST_F(DumpTest, TreeAndListDumps) {
  configure({{QEL_W("TRACEFILE"), DWORD(1)}, {QEL_W("TRACELEVEL"), DWORD(0x1F)}});
  init(TraceObj);
  const std::string file = narrowName(TraceObj.szFileName);

  BT tree = BTCreate(compareInts, sizeof(int));
  for (int v : {2, 1, 3}) BTInsert(tree, &v);
  const BTNode* root = tree->pRoot;
  BTTrace(tree);
  DLHeader* list = DLCreateHeader(sizeof(int));
  for (int v : {7, 9}) DLInsertLastElement(list, DLCreateElement(list, &v));
  DLListElements(list);

  const std::string n = hex8(root), l = hex8(root->pLeft), r = hex8(root->pRight), z = "00000000";
  std::vector<std::string> expected{
      "ROOT: " + n + " Anz:3",
      "00-ROOT:  N:" + n + " L:" + l + " R:" + r + " U:" + z + " B:-",
      "01-Left:    N:" + l + " L:" + z + " R:" + z + " U:" + n + " B:-",
      "01-Rght:    N:" + r + " L:" + z + " R:" + z + " U:" + n + " B:-",
      "Element:1 - 7\n",
      "Element:2 - 9\n",
  };
  EXPECT_EQ(bodies(file), expected);
  EXPECT_EQ(lines(file)[2].substr(0, 1), "A");  // level 5

  // 4 and 5 rotate below 2's right side, 0 makes 1 lean left:
  // 2 (1 (0), 4 (3, 5)).
  for (int v : {4, 5, 0}) BTInsert(tree, &v);
  BTTrace(tree);
  const BTNode *one = root->pLeft, *four = root->pRight;
  for (const std::string& line :
       {"ROOT: " + n + " Anz:6", nodeLine(0, "ROOT", root, '-'), nodeLine(1, "Left", one, '<'),
        nodeLine(2, "Left", one->pLeft, '-'), nodeLine(1, "Rght", four, '-'),
        nodeLine(2, "Left", four->pLeft, '-'), nodeLine(2, "Rght", four->pRight, '-')})
    expected.push_back(line);
  EXPECT_EQ(bodies(file), expected);

  // Nothing more while level 5 or facility 18 is held back.
  TraceObj.dwLevelMask &= ~0x10u;
  BTTrace(tree);
  DLListElements(list);
  TraceObj.dwLevelMask |= 0x10u;
  EnableTrace(&TraceObj, 18, 0);
  BTTrace(tree);
  EXPECT_EQ(bodies(file), expected);
  EXPECT_EQ(tree->nCount, 6);
  BTDestroy(tree, nullptr);
  DLRemoveHeader(list);
}

}  // namespace
