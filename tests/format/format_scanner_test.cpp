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
#include "frame/Heap.h"
#include "support/WideText.h"

namespace {

using qel::test::WString;
using Symbols = std::vector<std::pair<LONG, WString>>;

class Scanner {
 public:
  explicit Scanner(ULONG length = 256) { EXPECT_EQ(FScInit(&fsc_, length), 0u); }
  ~Scanner() { FScRelease(&fsc_); }
  FScContext* operator->() { return &fsc_; }
  FScContext* get() { return &fsc_; }

  // Every symbol up to and including the end of the line.
  Symbols scan() {
    Symbols out;
    for (int guard = 0; guard < 1000; ++guard) {
      LONG code = FScGetNextSym(&fsc_);
      EXPECT_EQ(FScGetSym(&fsc_), code);
      EXPECT_EQ(FScGetAlpha(&fsc_)[FScGetAlphaLen(&fsc_)], 0);
      out.emplace_back(code, WString(FScGetAlpha(&fsc_), FScGetAlphaLen(&fsc_)));
      if (code == FSC_EOL) break;
    }
    return out;
  }
  Symbols scan(const WCHAR* line) {
    FScSetLine(&fsc_, line);
    return scan();
  }

 private:
  FScContext fsc_{};
};

TEST(FormatScanner, SymbolsOfFormatLines) {
  const WString eol;
  // clang-format off
  const std::pair<const WCHAR*, Symbols> rows[] = {
      {QEL_W("Total: ###.## EUR"), {{-2, QEL_W("Total: ")}, {-7, QEL_W("###.##")}, {-2, QEL_W(" EUR")}, {-1, eol}}},
      {QEL_W("Name: /      / &"), {{-2, QEL_W("Name: ")}, {-4, QEL_W("/      /")}, {-2, QEL_W(" ")}, {-3, QEL_W("&")}, {-1, eol}}},
      {QEL_W("+#,###"), {{-6, QEL_W("+#,###")}, {-1, eol}}},
      {QEL_W("#,###.##-"), {{-7, QEL_W("#,###.##-")}, {-1, eol}}},
      {QEL_W("-#.##+"), {{-7, QEL_W("-#.##")}, {-2, QEL_W("+")}, {-1, eol}}},
      {QEL_W("##,x"), {{-6, QEL_W("##")}, {-2, QEL_W(",x")}, {-1, eol}}},
      {QEL_W("##,"), {{-6, QEL_W("##")}, {-2, QEL_W(",")}, {-1, eol}}},
      {QEL_W("$$*#."), {{-7, QEL_W("$$*#.")}, {-1, eol}}},
      {QEL_W("#.#.#"), {{-7, QEL_W("#.#")}, {-2, QEL_W(".")}, {-6, QEL_W("#")}, {-1, eol}}},
      {QEL_W("##+-"), {{-6, QEL_W("##+")}, {-2, QEL_W("-")}, {-1, eol}}},
      {QEL_W("+abc"), {{-2, QEL_W("+abc")}, {-1, eol}}},
      {QEL_W("+-#"), {{-2, QEL_W("+")}, {-6, QEL_W("-#")}, {-1, eol}}},
      {QEL_W("a-b"), {{-2, QEL_W("a")}, {-2, QEL_W("-b")}, {-1, eol}}},
      {QEL_W("a\\#b"), {{-2, QEL_W("a#b")}, {-1, eol}}},
      {QEL_W("/x/"), {{-2, QEL_W("/x")}, {-2, QEL_W("/")}, {-1, eol}}},
      {QEL_W("a/ /b"), {{-2, QEL_W("a")}, {-4, QEL_W("/ /")}, {-2, QEL_W("b")}, {-1, eol}}},
      {QEL_W("//"), {{-4, QEL_W("//")}, {-1, eol}}},
      {QEL_W("^^"), {{-5, QEL_W("^")}, {-5, QEL_W("^")}, {-1, eol}}},
      {QEL_W("x&&"), {{-2, QEL_W("x")}, {-3, QEL_W("&")}, {-3, QEL_W("&")}, {-1, eol}}},
      {QEL_W(""), {{-1, eol}}},
      {QEL_W("   "), {{-2, QEL_W("   ")}, {-1, eol}}},
  };
  // clang-format on
  Scanner scanner;
  for (const auto& [line, expected] : rows)
    EXPECT_EQ(scanner.scan(line), expected) << qel::test::narrow(line);
}

TEST(FormatScanner, EscapeSequences) {
  // clang-format off
  const std::pair<const WCHAR*, WString> rows[] = {
      {QEL_W("\\x4a"), QEL_W("J")}, {QEL_W("\\x4A"), QEL_W("J")}, {QEL_W("\\x"), WString(1, 0)}, {QEL_W("\\x1234567"), QEL_W("\x4567")},
      {QEL_W("\\#\\/\\&\\+\\ "), QEL_W("#/&+ ")}, {QEL_W("\\^\\\\\\_"), QEL_W("^\\_")},
      {QEL_W("\\0"), WString(1, 0)}, {QEL_W("\\0101"), QEL_W("A")}, {QEL_W("\\0778"), QEL_W("?8")}, {QEL_W("\\08"), WString(1, 0) + QEL_W("8")},
      {QEL_W("\\65"), QEL_W("A")}, {QEL_W("\\12345"), QEL_W("\x04D2") QEL_W("5")}, {QEL_W("\\9999"), QEL_W("\x270F")},
      {QEL_W("\\a\\b\\f\\n\\r\\t\\v"), QEL_W("\a\b\f\n\r\t\v")}, {QEL_W("\\y\\z"), QEL_W("yz")}, {QEL_W("\\q"), QEL_W("q")},
      {QEL_W("ab\\"), QEL_W("ab\\")},  // a backslash at the end stands for itself
  };
  // clang-format on
  Scanner scanner;
  for (const auto& [line, text] : rows) {
    Symbols expected{{-2, text}, {-1, WString()}};
    EXPECT_EQ(scanner.scan(line), expected) << qel::test::narrow(line);
  }
}

TEST(FormatScanner, LinesOfGivenLength) {
  Scanner scanner;
  const WCHAR line[] = {u'a', 0, u'b', 0};
  FScSetLineLen(scanner.get(), line, 3);
  EXPECT_EQ(scanner->nLineLen, 3);
  Symbols expected{{-2, QEL_W("a")}, {-2, WString(1, 0) + QEL_W("b")}, {-1, WString()}};
  EXPECT_EQ(scanner.scan(), expected);
  EXPECT_EQ(FScGetColumnNo(scanner.get()), 3u);
  EXPECT_EQ(FScGetNextSym(scanner.get()), FSC_EOL);  // stays at the end

  const WCHAR escaped[] = {u'\\', 0, u'#', 0};  // the escape takes the inner NUL
  FScSetLineLen(scanner.get(), escaped, 3);
  Symbols escapedExpected{{-2, WString(1, 0)}, {-6, QEL_W("#")}, {-1, WString()}};
  EXPECT_EQ(scanner.scan(), escapedExpected);

  // A length short of the NUL still ends at the caller's terminator.
  FScSetLineLen(scanner.get(), QEL_W("abc"), 1);
  Symbols shortExpected{{-2, QEL_W("abc")}, {-1, WString()}};
  EXPECT_EQ(scanner.scan(), shortExpected);

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

  qel::heapFailAt(1);
  EXPECT_EQ(FScInit(&fsc, 8), 0x8007000Eu);
  qel::heapFailAt(0);
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
    for (const auto& [code, text] : scanner.scan()) {
      if (!FScIsPlaceholder(code)) continue;
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
