/* Text families under lack of memory: the string object (a failed request
   leaves it unchanged or empty, never half-changed), date/time values, the
   scanners and the message catalogue. */
#include <cstring>
#include <string>

#include "QELBase.h"
#include "Sweep.h"
#include "strings/CodePageText.h"

namespace {

using qel::test::sweepAllocations;

// For failure messages only (they allocate).
std::string narrowed(const WCHAR* s) { return std::string(s, s + std::char_traits<WCHAR>::length(s)); }

bool sameText(const WCHAR* a, const WCHAR* b) {
  return std::char_traits<WCHAR>::compare(a, b, std::char_traits<WCHAR>::length(b) + 1) == 0;
}

TEST(AllocationSweep, StringObject) {
  sweepAllocations([] {
    TS ts = TSClone(QEL_W("  a,b,c  "));
    if (!ts) return;
    // What a failed step leaves: an empty object (a failed reallocation of
    // its own block), or, where a scratch copy comes first, the text as it
    // was when the scratch copy failed.
    enum Leaves { kKeptOrEmpty, kEmpty };
    struct Step {
      TS (*apply)(TS);
      const WCHAR* after;
      Leaves onFailure;
    };
    const Step steps[] = {
        {[](TS t) { return TSLTrim(t); }, QEL_W("a,b,c  "), kKeptOrEmpty},
        {[](TS t) { return TSRTrim(t); }, QEL_W("a,b,c"), kKeptOrEmpty},
        {[](TS t) { return TSChrSubst(t, QEL_W(","), QEL_W(";")); }, QEL_W("a;b;c"), kKeptOrEmpty},
        {[](TS t) { return TSStrSubst(t, QEL_W(";"), QEL_W(" - ")); }, QEL_W("a - b - c"), kKeptOrEmpty},
        {[](TS t) { return TSAddStr(t, QEL_W(" and more text than the first block holds")); },
         QEL_W("a - b - c and more text than the first block holds"), kEmpty},
        {[](TS t) { return TSRep(t, QEL_W("xy"), 3); }, QEL_W("xyxyxy"), kKeptOrEmpty},
        {[](TS t) { return TSCStr(t, 2.5, QEL_W("%.2f")); }, QEL_W("2.50"), kKeptOrEmpty},
        {[](TS t) { return TSUpper(t); }, QEL_W("2.50"), kKeptOrEmpty},
    };
    for (const Step& step : steps) {
      WCHAR before[64];
      std::char_traits<WCHAR>::copy(before, TSGetStr(ts), size_t(TSGetLen(ts)) + 1);
      if (!step.apply(ts)) {
        EXPECT_TRUE(TSGetLen(ts) == 0 || (step.onFailure == kKeptOrEmpty && sameText(TSGetStr(ts), before)))
            << "half-changed: " << narrowed(before);
        break;
      }
      EXPECT_TRUE(sameText(TSGetStr(ts), step.after))
          << narrowed(TSGetStr(ts)) << " after " << narrowed(before);
    }
    TSFree(ts);
  });
}

// Code-page text that finds no memory is empty and says it is incomplete.
TEST(AllocationSweep, CodePageText) {
  sweepAllocations([] {
    const qel::WideText wide(QEL_W("K\u00f6ln"));
    const qel::NarrowText narrow(wide);
    EXPECT_TRUE(wide.complete() || wide.length() + wide.text()[0] == 0);
    EXPECT_TRUE(narrow.complete() || narrow.text()[0] == 0);
    EXPECT_TRUE(!wide.complete() || !narrow.complete() || std::strcmp(narrow.text(), "K\xF6ln") == 0);
  });
}

TEST(AllocationSweep, DateTimeValues) {
  sweepAllocations([] {
    TD a = TDNew();
    if (!a) return;
    TD b = TDNew();
    if (b) {
      TDSetTime(a, 2024, 1, 31, 12, 0, 0, 0);
      TDSetInterval(b, 0, 1, 0, 0, 0, 0, 0);
      TDAdd(a, b);
      EXPECT_EQ(TDGetDays(a), 29);
      TDFree(b);
    }
    TDFree(a);
  });
}

TEST(AllocationSweep, Scanners) {
  sweepAllocations([] {
    SymContext s{};
    const DWORD rc = SymInit(&s, 10, 20, 0, SYM_MODE_DOTTED);  // with its keywords
    if (rc) {
      EXPECT_EQ(rc, 0x8007000Eu);
      if (s.pKeywords) SymRelease(&s);
    } else {
      SymNewLine(&s, QEL_W("while (a >= 10) b = \"text\";"));
      LONG symbols = 0;
      while (SymGetNextSym(&s) != SYM_EOL && symbols < 100) ++symbols;
      EXPECT_EQ(symbols, 10);
      SymRelease(&s);
    }
    FScContext f{};
    const DWORD frc = FScInit(&f, 8);
    if (frc) {
      EXPECT_EQ(frc, 0x8007000Eu);
      return;
    }
    FScSetLine(&f, QEL_W("Total: ###.## EUR"));
    LONG symbols = 0;
    while (FScGetNextSym(&f) != FSC_EOL && symbols < 100) ++symbols;
    EXPECT_EQ(symbols, 3);
    FScRelease(&f);
  });
}

TEST(AllocationSweep, MessageCatalogue) {
  sweepAllocations([] {
    WCHAR text[128];
    text[0] = 0;
    EXPECT_EQ(QELBaseFormatMessage(0xC0040406u, 1031, text, 128), 0u);
    // The text, or with no memory the fallback, or with none even for that
    // nothing: never garbage, always ended.
    EXPECT_TRUE(sameText(text, QEL_W("Ung\u00fcltige Zahl. ")) ||
                sameText(text, QEL_W("Unknown Error Code: C0040406")) || text[0] == 0);
  });
}

}  // namespace
