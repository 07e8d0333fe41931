/* The placeholder scanner: symbols of format lines, escapes, lines of
   given length, the record's protocol, and that every placeholder it cuts
   is a picture the formatter accepts. */
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "format/FormatScanner.h"
#include "format/NumberFormat.h"
#include "support/CaseFile.h"

namespace {

using qel::test::narrow;
using qel::test::WString;

class Scanner {
 public:
  explicit Scanner(ULONG length = 256) { EXPECT_EQ(FScInit(&fsc_, length), 0u); }
  ~Scanner() { FScRelease(&fsc_); }
  FScContext* operator->() { return &fsc_; }
  FScContext* get() { return &fsc_; }

  // Every symbol up to and including the end of the line, as code"text".
  std::string scan() {
    std::string out;
    for (int guard = 0; guard < 1000; ++guard) {
      LONG code = FScGetNextSym(&fsc_);
      EXPECT_EQ(FScGetSym(&fsc_), code);
      EXPECT_EQ(FScGetAlpha(&fsc_)[FScGetAlphaLen(&fsc_)], 0);
      out += (out.empty() ? "" : " ") + std::to_string(code) + '"' +
             narrow({FScGetAlpha(&fsc_), FScGetAlphaLen(&fsc_)}) + '"';
      if (code == FSC_EOL) break;
    }
    return out;
  }
  std::string scan(const WCHAR* line) {
    FScSetLine(&fsc_, line);
    return scan();
  }

 private:
  FScContext fsc_{};
};

TEST(FormatScanner, LinesOfTheCaseFile) {
  Scanner scanner;
  for (const qel::test::Case& c : qel::test::readCases("format/lines.txt"))
    EXPECT_EQ(scanner.scan(qel::test::unescape(c[0]).c_str()), c[1]) << c.where;
}

TEST(FormatScanner, LinesOfGivenLength) {
  Scanner scanner;
  const WCHAR line[] = {u'a', 0, u'b', 0};
  FScSetLineLen(scanner.get(), line, 3);
  EXPECT_EQ(scanner->nLineLen, 3);
  EXPECT_EQ(scanner.scan(), "-2\"a\" -2\"{U+0000}b\" -1\"\"");
  EXPECT_EQ(FScGetColumnNo(scanner.get()), 3u);
  EXPECT_EQ(FScGetNextSym(scanner.get()), FSC_EOL);  // stays at the end

  const WCHAR escaped[] = {u'\\', 0, u'#', 0};  // the escape takes the inner NUL
  FScSetLineLen(scanner.get(), escaped, 3);
  EXPECT_EQ(scanner.scan(), "-2\"{U+0000}\" -6\"#\" -1\"\"");

  // A length short of the NUL still ends at the caller's terminator.
  FScSetLineLen(scanner.get(), QEL_W("abc"), 1);
  EXPECT_EQ(scanner.scan(), "-2\"abc\" -1\"\"");

  FScSetLine(scanner.get(), QEL_W("x"));
  EXPECT_EQ(scanner->nLineLen, -1);
  EXPECT_EQ(scanner->nColumnNo, 0u);
}

TEST(FormatScanner, RecordProtocolAndFailures) {
  FScContext fsc{};
  fsc.nSym = 5;
  ASSERT_EQ(FScInit(&fsc, 8), 0u);
  EXPECT_EQ(fsc.nSym, -1);
  EXPECT_EQ(fsc.nAlphaMax, 8u);
  EXPECT_EQ(fsc.nAlphaLen, 0u);
  for (ULONG i = 0; i < 8; ++i) EXPECT_EQ(fsc.pszAlpha[i], 0);
  EXPECT_EQ(FScGetNextSym(&fsc), FSC_EOL);  // no line yet

  // A symbol longer than the buffer keeps its first nAlphaMax - 1 characters.
  FScSetLine(&fsc, QEL_W("abcdefghijk#"));
  EXPECT_EQ(FScGetNextSym(&fsc), FSC_CONSTANT);
  EXPECT_EQ(WString(FScGetAlpha(&fsc)), QEL_W("abcdefg"));
  EXPECT_EQ(FScGetAlphaLen(&fsc), 7u);
  EXPECT_EQ(FScGetColumnNo(&fsc), 11u);
  EXPECT_EQ(FScGetNextSym(&fsc), FSC_INTEGER);
  FScRelease(&fsc);
  EXPECT_EQ(fsc.pszAlpha, nullptr);
  FScRelease(&fsc);  // twice is harmless

  EXPECT_EQ(FScInit(nullptr, 8), 0x80070057u);
  EXPECT_EQ(FScGetNextSym(nullptr), FSC_EOL);
  EXPECT_EQ(FScGetAlpha(nullptr), nullptr);

  ASSERT_EQ(FScInit(&fsc, 0), 0u);  // room for the terminator only
  FScSetLine(&fsc, QEL_W("ab&"));
  EXPECT_EQ(FScGetNextSym(&fsc), FSC_CONSTANT);
  EXPECT_EQ(FScGetAlphaLen(&fsc), 0u);
  EXPECT_EQ(FScGetNextSym(&fsc), FSC_CHAR);
  FScRelease(&fsc);
}

TEST(FormatScanner, DescriptionsAndPlaceholderCodes) {
  // clang-format off
  const struct { LONG code; const WCHAR* text; BOOL placeholder; } rows[] = {
      {0, nullptr, 0}, {-1, QEL_W("EOL"), 0}, {-2, QEL_W("STRING/CHAR constant"), 0}, {-3, QEL_W("CHAR placeholder"), 1},
      {-4, QEL_W("STRING placeholder"), 1}, {-5, QEL_W("VARIANT placeholder "), 1}, {-6, QEL_W("INTEGER placeholder"), 1},
      {-7, QEL_W("DOUBLE placeholder"), 1}, {-8, nullptr, 0}, {1, nullptr, 0},
  };
  // clang-format on
  for (const auto& row : rows) {
    const WCHAR* text = FScGetSymDescription(row.code);
    if (row.text) {
      ASSERT_NE(text, nullptr) << row.code;
      EXPECT_EQ(WString(text), row.text);
    } else {
      EXPECT_EQ(text, nullptr) << row.code;
    }
    EXPECT_EQ(FScIsPlaceholder(row.code), row.placeholder) << row.code;
  }
}

// Random lines from the characters that matter: each placeholder is a
// picture the formatter takes as the same kind, filling its whole width.
TEST(FormatScanner, EveryPlaceholderIsAPicture) {
  const WString alphabet = QEL_W("#$*+-,./&^ \\ax0");
  std::mt19937 random(12345);
  Scanner scanner(128);
  int placeholders = 0;
  for (int i = 0; i < 5000; ++i) {
    WString line;
    for (size_t n = random() % 24; n > 0; --n) line += alphabet[random() % alphabet.size()];
    FScSetLine(scanner.get(), line.c_str());
    for (LONG code = FScGetNextSym(scanner.get()); code != FSC_EOL; code = FScGetNextSym(scanner.get())) {
      if (!FScIsPlaceholder(code)) continue;
      const WString text(FScGetAlpha(scanner.get()), FScGetAlphaLen(scanner.get()));
      ++placeholders;
      WCHAR out[160];
      LONG n = FMFormatStr(text.c_str(), LONG(text.size()), QEL_W("-12.5"), out);
      LONG expected = code == FSC_CHAR ? 1 : code == FSC_VARIANT ? 5 : LONG(text.size());
      EXPECT_EQ(n, expected) << qel::test::narrow(line) << " -> " << qel::test::narrow(text);
    }
  }
  EXPECT_GT(placeholders, 5000);
}

}  // namespace
