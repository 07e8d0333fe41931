// QELBaseFormatMessage: the catalogue in both languages, system texts,
// inserts and the fallback text.
#include <gtest/gtest.h>

#include <string>

#include "QELBase.h"

namespace {

using WString = std::u16string;

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
  const char16_t* english;
  const char16_t* german;
};

const CatalogueRow kCatalogue[] = {
    {0xC0040400, u"L-Value required.", u"L-Value wird erwartet."},
    {0xC0040401, u"\")\" required.", u"\")\" wird erwartet."},
    {0xC0040402, u"\"(\" required.", u"\"(\" wird erwartet."},
    {0xC0040403, u"\"]\" required.", u"\"]\" wird erwartet."},
    {0xC0040404, u"Function required.", u"Funktion wird erwartet."},
    {0xC0040405, u"Identifier required.", u"Bezeichner wird erwartet."},
    {0xC0040406, u"Illegal Number.", u"Ungültige Zahl."},
    {0xC0040407, u"Illegal Character.", u"Ungültiges Zeichen."},
    {0xC0040408, u"Illegal String.", u"Ungültige Zeichenkette."},
    {0xC0040409, u"Operand required.", u"Operand wird erwartet."},
    {0xC004040A, u"\",\" required.", u"\",\" wird erwartet."},
    {0xC004040B, u"\";\" required.", u"\";\" wird erwartet."},
    {0xC004040C, u"Syntax error.", u"Syntax error."},
    {0xC004040D, u"SMTP Server error.", u"SMTP Server error."},
    {0xC004040E, u"SMTP Server not available.", u"SMTP Server nicht verfügbar."},
    {0xC004040F, u"SMTP Server not ready.", u"SMTP Server nicht bereit."},
    {0xC0040410, u"SMTP Server did not terminate.", u"SMTP Server wurde nicht beendet."},
    {0xC0040411, u"No receipients specified.", u"Keine Empfänger angegeben."},
    {0xC0040412, u"Printer is Offline.", u"Drucker ist Offline."},
    {0xC0040413, u"Printer buffer full.", u"Druckerbuffer ist voll."},
    {0xC0040414, u"Printer is paused.", u"Drucker Pause."},
    {0xC0040415, u"Printer is out of ribbon.", u"Drucker hat kein Farbband mehr."},
    {0xC0040416, u"Printer head is up.", u"Drucker - Druckkopf ist geöffnet."},
    {0xC0040417, u"Label/Document is waiting in printer.", u"Etikett/Formular befindet sich im Drucker."},
};

}  // namespace

TEST(QELBaseFormatMessage, CatalogueInBothLanguages) {
  for (const CatalogueRow& row : kCatalogue) {
    EXPECT_EQ(message(row.code, 1033), row.english) << std::hex << row.code;
    EXPECT_EQ(message(row.code, 1031), row.german) << std::hex << row.code;
    EXPECT_EQ(messageVA(row.code, 1033, 256), row.english);
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
  EXPECT_EQ(message(5, 1033), u"Access is denied.");
  EXPECT_EQ(message(5, 1031), u"Zugriff verweigert");
  EXPECT_EQ(message(QEL_DISP_E_TYPEMISMATCH, 1033), u"Type mismatch.");
  EXPECT_EQ(message(QEL_E_OUTOFMEMORY, 1033),
            u"Not enough memory resources are available to complete this operation.");

  WCHAR buffer[256];
  EXPECT_EQ(QELBaseFormatMessage(193, 1033, buffer, 256, u"PROG.EXE"), 0u);
  EXPECT_EQ(WString(buffer), u"PROG.EXE is not a valid Win32 application.");
  EXPECT_EQ(messageVA(317, 1033, 256, u"2A", u"QELBaseU"),
            u"The system cannot find message text for message number 0x2A in the message file for QELBaseU.");
}

TEST(QELBaseFormatMessage, FallbackTextIsCutToTheBuffer) {
  EXPECT_EQ(message(0x2A, 1033), u"Unknown Error Code: 0000002A");
  EXPECT_EQ(message(0xC0040418, 1031), u"Unknown Error Code: C0040418");
  EXPECT_EQ(message(5, 1036), u"Unknown Error Code: 00000005");  // no French texts anywhere

  WCHAR buffer[16];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(QELBaseFormatMessage(0x2A, 1033, buffer, 10), 0u);
  EXPECT_EQ(WString(buffer), u"Unknown E");
  EXPECT_EQ(buffer[10], u'#');

  EXPECT_EQ(QELBaseFormatMessage(0x2A, 1033, buffer, 1), 0u);
  EXPECT_EQ(buffer[0], 0);
  // A catalogue text longer than the buffer falls through to the fallback.
  EXPECT_EQ(message(0xC0040417, 1033, 10), u"Unknown E");
}

TEST(QELBaseFormatMessage, DegenerateBuffers) {
  EXPECT_EQ(QELBaseFormatMessage(5, 1033, nullptr, 100), 0u);
  WCHAR one = u'#';
  EXPECT_EQ(QELBaseFormatMessage(5, 1033, &one, 0), 0u);
  EXPECT_EQ(one, u'#');
}

TEST(DataObjects, FormatCharacterSets) {
  EXPECT_EQ(WString(DefaultDblFormat, 8), u"#$**.,+-");
  EXPECT_EQ(WString(LLDblFormat, 8), u"#&*$.,+-");
}
