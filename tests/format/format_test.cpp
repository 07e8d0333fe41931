/* Picture formatting and the readers, with exact outputs for the user's
   locale (the suite runs once with en-US and once with de-DE), and the
   placeholder scanner: symbols of format lines, escapes, lines of given
   length, the record's protocol, and that every placeholder it cuts is a
   picture the formatter accepts. */
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "format/FormatScanner.h"
#include "format/NumberFormat.h"
#include "support/CaseFile.h"

namespace {

using qel::test::narrow;
using qel::test::WString;

bool german() { return GetUserDefaultLCID() == 1031; }

WString formatDouble(const WCHAR* set, const WString& picture, double value) {
  WString out(picture.size() + 1, u'~');
  LONG n = FMFormatDouble(set, picture.c_str(), LONG(picture.size()), value, out.data(), nullptr);
  EXPECT_EQ(out[picture.size()], u'~') << "wrote past the picture";
  out.resize(size_t(n));
  return out;
}

WString formatStr(const WString& picture, const WCHAR* value, size_t room = 64) {
  WString out(room, u'~');
  LONG n = FMFormatStr(picture.c_str(), LONG(picture.size()), value, out.data());
  EXPECT_EQ(out[size_t(n)], 0) << "not terminated";
  out.resize(size_t(n));
  return out;
}

TEST(PictureFormat, PicturesOfTheCaseFile) {
  for (const qel::test::Case& c : qel::test::readCases("format/pictures.txt")) {
    const WCHAR* set = c[2] == "LL" ? LLDblFormat : nullptr;
    const std::string& expected = german() && c[4] != "-" ? c[4] : c[3];
    const WString picture = qel::test::unescape(c[1]);
    const WString out = c[2] == "Str"
                            ? formatStr(picture, c[0] == "-" ? nullptr : qel::test::unescape(c[0]).c_str())
                            : formatDouble(set, picture, std::strtod(c[0].c_str(), nullptr));
    EXPECT_EQ("[" + qel::test::narrow(out) + "]", expected) << c.where;
  }
}

TEST(PictureFormat, IntegersFlagAndBounds) {
  WCHAR out[16];
  const WCHAR* picture = QEL_W("##########");
  ASSERT_EQ(FMFormatUInt(nullptr, picture, 10, 4294967295u, out, nullptr), 10);
  EXPECT_EQ(WString(out, 10), QEL_W("4294967295"));
  ASSERT_EQ(FMFormatInt(nullptr, picture, 10, -2147483647 - 1, out, nullptr), 10);
  EXPECT_EQ(WString(out, 10), QEL_W("2147483648"));  // no sign place
  ASSERT_EQ(FMFormatInt(LLDblFormat, QEL_W("&&&"), 3, 7, out, nullptr), 3);
  EXPECT_EQ(WString(out, 3), QEL_W("007"));

  BOOL flag = 7;
  EXPECT_EQ(FMFormatDouble(nullptr, QEL_W("##.#"), 4, 1.25, out, &flag), 4);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(FMFormatDouble(nullptr, QEL_W("###"), 0, 5, out, nullptr), 0);
  EXPECT_EQ(FMFormatDouble(nullptr, QEL_W("###"), -3, 5, out, nullptr), 0);
  EXPECT_EQ(FMFormatDouble(nullptr, nullptr, 3, 5, out, nullptr), 0);

  // A long fraction: digits beyond the double's own are zeros, never garbage.
  const WString longPicture = QEL_W("#.") + WString(2000, u'$');
  const WString text = formatDouble(nullptr, longPicture, 0.5);
  EXPECT_EQ(text.size(), longPicture.size());
  EXPECT_EQ(text.substr(2), QEL_W("5") + WString(1999, u'0'));
  EXPECT_EQ(formatDouble(nullptr, QEL_W("#.") + WString(60, u'$'), 0.1).substr(2, 57),
            QEL_W("100000000000000005551115123125782702118158340454101562500"));
}

TEST(PictureFormat, TextByKindOfPicture) {
  WCHAR out[4] = {u'~', u'~', u'~', u'~'};
  EXPECT_EQ(FMFormatStr(QEL_W("&"), 1, QEL_W(""), out), 1);  // only the terminator
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(FMFormatStr(QEL_W("/ /"), 0, QEL_W("abc"), out), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(FMFormatStr(QEL_W("^"), 0, QEL_W("abc"), out), 0);  // no first character to look at
  EXPECT_EQ(FMFormatStr(QEL_W("^"), 1, QEL_W("abc"), nullptr), 0);
}

TEST(NumberText, Readers) {
  for (const qel::test::Case& c : qel::test::readCases("format/numbers.txt")) {
    SCOPED_TRACE(c.where);
    const WString text = qel::test::unescape(c[0]);
    EXPECT_DOUBLE_EQ(FMToDouble(text.c_str()), std::strtod(c[1].c_str(), nullptr));
    const LONG integer = LONG(std::stol(c[2]));
    const ULONG natural = ULONG(std::stoul(c[3]));
    EXPECT_EQ(FMToLong(text.c_str()), integer);
    EXPECT_EQ(FMToInt(text.c_str()), integer);
    EXPECT_EQ(FMToUInt(text.c_str()), natural);
    EXPECT_EQ(FMToULong(text.c_str()), natural);
  }
  EXPECT_EQ(FMToDouble(nullptr), 0.0);
  EXPECT_EQ(FMToLong(nullptr), 0);
  EXPECT_EQ(FMToLong(QEL_W("2147483648")), -2147483647 - 1);
}

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
  for (const qel::test::Case& c : qel::test::readCases("format/descriptions.txt")) {
    const LONG code = std::stol(c[0]);
    const WCHAR* text = FScGetSymDescription(code);
    EXPECT_EQ(text ? narrow(text) : "-", narrow(qel::test::unescape(c[1]))) << c.where;
    EXPECT_EQ(FScIsPlaceholder(code), std::stoi(c[2])) << c.where;
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
