// QELBaseFormatMessage: the catalogue in both languages, system texts,
// inserts and the fallback text.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "QELBase.h"
#include "support/Platform.h"

namespace {

using WString = std::basic_string<WCHAR>;

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

struct CatalogueRow {
  DWORD code;
  const WCHAR* english;
  const WCHAR* german;
};

const CatalogueRow kCatalogue[] = {
    {0xC0040400, QEL_W("L-Value required."), QEL_W("L-Value wird erwartet.")},
    {0xC0040401, QEL_W("\")\" required."), QEL_W("\")\" wird erwartet.")},
    {0xC0040402, QEL_W("\"(\" required."), QEL_W("\"(\" wird erwartet.")},
    {0xC0040403, QEL_W("\"]\" required."), QEL_W("\"]\" wird erwartet.")},
    {0xC0040404, QEL_W("Function required."), QEL_W("Funktion wird erwartet.")},
    {0xC0040405, QEL_W("Identifier required."), QEL_W("Bezeichner wird erwartet.")},
    {0xC0040406, QEL_W("Illegal Number."), QEL_W("Ungültige Zahl.")},
    {0xC0040407, QEL_W("Illegal Character."), QEL_W("Ungültiges Zeichen.")},
    {0xC0040408, QEL_W("Illegal String."), QEL_W("Ungültige Zeichenkette.")},
    {0xC0040409, QEL_W("Operand required."), QEL_W("Operand wird erwartet.")},
    {0xC004040A, QEL_W("\",\" required."), QEL_W("\",\" wird erwartet.")},
    {0xC004040B, QEL_W("\";\" required."), QEL_W("\";\" wird erwartet.")},
    {0xC004040C, QEL_W("Syntax error."), QEL_W("Syntax error.")},
    {0xC004040D, QEL_W("SMTP Server error."), QEL_W("SMTP Server error.")},
    {0xC004040E, QEL_W("SMTP Server not available."), QEL_W("SMTP Server nicht verfügbar.")},
    {0xC004040F, QEL_W("SMTP Server not ready."), QEL_W("SMTP Server nicht bereit.")},
    {0xC0040410, QEL_W("SMTP Server did not terminate."), QEL_W("SMTP Server wurde nicht beendet.")},
    {0xC0040411, QEL_W("No receipients specified."), QEL_W("Keine Empfänger angegeben.")},
    {0xC0040412, QEL_W("Printer is Offline."), QEL_W("Drucker ist Offline.")},
    {0xC0040413, QEL_W("Printer buffer full."), QEL_W("Druckerbuffer ist voll.")},
    {0xC0040414, QEL_W("Printer is paused."), QEL_W("Drucker Pause.")},
    {0xC0040415, QEL_W("Printer is out of ribbon."), QEL_W("Drucker hat kein Farbband mehr.")},
    {0xC0040416, QEL_W("Printer head is up."), QEL_W("Drucker - Druckkopf ist geöffnet.")},
    {0xC0040417, QEL_W("Label/Document is waiting in printer."),
     QEL_W("Etikett/Formular befindet sich im Drucker.")},
};

}  // namespace

TEST(QELBaseFormatMessage, CatalogueInBothLanguages) {
  for (const CatalogueRow& row : kCatalogue) {
    // The closing line break of each text comes back as a blank.
    EXPECT_EQ(message(row.code, 1033), WString(row.english) + QEL_W(" ")) << std::hex << row.code;
    EXPECT_EQ(message(row.code, 1031), WString(row.german) + QEL_W(" ")) << std::hex << row.code;
    EXPECT_EQ(messageVA(row.code, 1033, 256), WString(row.english) + QEL_W(" "));
  }
}

TEST(QELBaseFormatMessage, CatalogueCodesMatchTheirNames) {
  EXPECT_EQ(QEL_E_LVALUE_REQUIRED, 0xC0040400u);
  EXPECT_EQ(QEL_E_SYNTAX_ERROR, 0xC004040Cu);
  EXPECT_EQ(QEL_E_PRINTER_LABEL_WAITING, 0xC0040417u);
  EXPECT_EQ(QEL_HRESULT_FROM_ERROR(0), 0x80070000u);
  EXPECT_EQ(QEL_HRESULT_FROM_ERROR(0x12345), 0x80072345u);
}

TEST(QELBaseFormatMessage, SystemTextsAndInserts) {
  if (qel::test::underWine()) GTEST_SKIP() << "Wine words the system's messages its own way";
  EXPECT_EQ(message(5, 1033), QEL_W("Access is denied. "));
  EXPECT_EQ(message(5, 1031), QEL_W("Zugriff verweigert "));
  EXPECT_EQ(message(QEL_DISP_E_TYPEMISMATCH, 1033), QEL_W("Type mismatch. "));
  EXPECT_EQ(message(QEL_E_OUTOFMEMORY, 1033),
            QEL_W("Not enough memory resources are available to complete this operation. "));

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
