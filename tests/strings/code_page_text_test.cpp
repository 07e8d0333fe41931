/* Wide and single-byte text through the ANSI code page. */
#include <gtest/gtest.h>

#include <string>

#include "frame/Heap.h"
#include "strings/CodePageText.h"

namespace {

using qel::NarrowText;
using qel::WideText;

TEST(CodePageText, CreationAndConversion) {
  EXPECT_EQ(WideText().length(), 0u);
  EXPECT_EQ(WideText(static_cast<const WCHAR*>(nullptr)).text()[0], 0);
  EXPECT_EQ(WideText(QEL_W("abc"), 0).length(), 0u);
  const WideText two(QEL_W("abc"), 2);
  EXPECT_EQ(std::basic_string<WCHAR>(reinterpret_cast<const WCHAR*>(two.text())), QEL_W("ab"));
  const WCHAR inner[] = {'x', 0, 'y'};
  EXPECT_EQ(WideText(inner, 3).length(), 3u);  // exactly count characters, zeros included

  const WideText fromAnsi("K\xF6ln \x80");
  EXPECT_EQ(std::basic_string<WCHAR>(reinterpret_cast<const WCHAR*>(fromAnsi.text())),
            QEL_W("K\u00f6ln \u20ac"));
  EXPECT_EQ(WideText(static_cast<const char*>(nullptr)).length(), 0u);
  EXPECT_EQ(WideText("").length(), 0u);

  const WCHAR unmappable[] = {'a', 0x4E2D, 0x00E9, 0};
  const NarrowText narrow{WideText(unmappable)};
  EXPECT_STREQ(narrow.text(), "a?\xE9");
  EXPECT_EQ(narrow.length(), 3u);
  EXPECT_STREQ(NarrowText(WideText()).text(), "");

  NarrowText copy(narrow);
  copy = copy;
  EXPECT_STREQ(copy.text(), "a?\xE9");
  copy = NarrowText();
  EXPECT_STREQ(copy.text(), "");
  EXPECT_TRUE(copy.complete());
}

TEST(CodePageText, MemoryFailureLeavesEmptyIncompleteText) {
  qel::heapFailAt(1);
  const WideText wide(QEL_W("abc"));
  qel::heapFailAt(0);
  EXPECT_FALSE(wide.complete());
  EXPECT_EQ(wide.length(), 0u);
  EXPECT_EQ(wide.text()[0], 0);

  const WideText source(QEL_W("abc"));
  qel::heapFailAt(1);
  NarrowText narrow(source);
  qel::heapFailAt(0);
  EXPECT_FALSE(narrow.complete());
  EXPECT_STREQ(narrow.text(), "");
}

}  // namespace
