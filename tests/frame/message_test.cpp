// QELBaseFormatMessage: the catalogue in both languages, system texts,
// inserts and the fallback text.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "QELBase.h"
#include "support/CaseFile.h"
#include "support/Platform.h"

namespace {

using qel::test::narrow;
using qel::test::unescape;
using qel::test::WString;

WString message(DWORD code, DWORD lang, DWORD size = 256) {
  WCHAR buffer[256];
  EXPECT_EQ(QELBaseFormatMessage(code, lang, buffer, size), 0u);
  return WString(buffer);
}

WString messageVA(DWORD code, DWORD lang, DWORD size, ...) {
  WCHAR buffer[256];
  va_list args;
  va_start(args, size);
  EXPECT_EQ(QELBaseFormatMessageVA(code, lang, buffer, size, args), 0u);
  va_end(args);
  return WString(buffer);
}

// The texts of a case file (code, English, German), each with the blank
// that stands for its closing line break.
void expectTextsOf(const char* file) {
  for (const qel::test::Case& c : qel::test::readCases(file)) {
    const DWORD code = DWORD(std::stoul(c[0], nullptr, 16));
    EXPECT_EQ(narrow(message(code, 1033)), narrow(unescape(c[1] + " "))) << c.where;
    EXPECT_EQ(narrow(message(code, 1031)), narrow(unescape(c[2] + " "))) << c.where;
    EXPECT_EQ(messageVA(code, 1033, 256), message(code, 1033));
  }
}

}  // namespace

TEST(QELBaseFormatMessage, CatalogueInBothLanguages) { expectTextsOf("frame/catalogue.txt"); }

TEST(QELBaseFormatMessage, PlatformErrorsAsResultCodes) {
  EXPECT_EQ(QEL_HRESULT_FROM_ERROR(0), 0x80070000u);  // still a failure
  EXPECT_EQ(QEL_HRESULT_FROM_ERROR(0x12345), 0x80072345u);
}

TEST(QELBaseFormatMessage, SystemTextsAndInserts) {
  if (qel::test::underWine()) GTEST_SKIP() << "Wine words the system's messages its own way";
  expectTextsOf("platform/system_messages.txt");
  WCHAR buffer[256];
  EXPECT_EQ(QELBaseFormatMessage(193, 1033, buffer, 256, QEL_W("PROG.EXE")), 0u);
  EXPECT_EQ(WString(buffer), QEL_W("PROG.EXE is not a valid Win32 application. "));
  EXPECT_EQ(
      messageVA(317, 1033, 256, QEL_W("2A"), QEL_W("QELBaseU")),
      QEL_W(
          "The system cannot find message text for message number 0x2A in the message file for QELBaseU. "));
}

TEST(QELBaseFormatMessage, FallbackTextIsCutToTheBuffer) {
  EXPECT_EQ(message(0x2A, 1033), QEL_W("Unknown Error Code: 0000002A"));
  EXPECT_EQ(message(0xC0040418, 1031), QEL_W("Unknown Error Code: C0040418"));
  // No French texts anywhere (Wine has French system texts of its own).
  if (!qel::test::underWine()) {
    EXPECT_EQ(message(5, 1036), QEL_W("Unknown Error Code: 00000005"));
  }

  WCHAR buffer[16];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(QELBaseFormatMessage(0x2A, 1033, buffer, 10), 0u);
  EXPECT_EQ(WString(buffer), QEL_W("Unknown E"));
  EXPECT_EQ(buffer[10], u'#');

  EXPECT_EQ(QELBaseFormatMessage(0x2A, 1033, buffer, 1), 0u);
  EXPECT_EQ(buffer[0], 0);
  // A catalogue text longer than the buffer falls through to the fallback.
  EXPECT_EQ(message(0xC0040417, 1033, 10), QEL_W("Unknown E"));
}

TEST(QELBaseFormatMessage, DegenerateBuffers) {
  EXPECT_EQ(QELBaseFormatMessage(5, 1033, nullptr, 100), 0u);
  WCHAR one = u'#';
  EXPECT_EQ(QELBaseFormatMessage(5, 1033, &one, 0), 0u);
  EXPECT_EQ(one, u'#');
}

TEST(QELBaseFormatMessage, ConcurrentCallersGetTheirOwnTexts) {
  const struct {
    DWORD code, lang;
  } calls[] = {{0xC0040406, 1031}, {0xC0040406, 1033}, {5, 1033}, {0x2A, 1033}, {0xC0040418, 1031}};
  std::vector<WString> expected;
  for (const auto& c : calls) expected.push_back(message(c.code, c.lang));
  std::vector<std::thread> threads;
  std::vector<int> wrong(4);
  for (int w = 0; w < 4; ++w)
    threads.emplace_back([&, w] {
      for (int i = 0; i < 2000; ++i) {
        const size_t k = size_t(i + w) % std::size(calls);
        WCHAR buffer[256];
        QELBaseFormatMessage(calls[k].code, calls[k].lang, buffer, 256);
        wrong[size_t(w)] += expected[k] != buffer;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(DataObjects, FormatCharacterSets) {
  EXPECT_EQ(WString(DefaultDblFormat, 8), QEL_W("#$**.,+-"));
  EXPECT_EQ(WString(LLDblFormat, 8), QEL_W("#&*$.,+-"));
}
