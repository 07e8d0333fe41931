// FormatMessageW as Windows documents it: sources, inserts, escapes, line
// widths, languages and the buffer protocol.
#include <gtest/gtest.h>
#include <qel/win32.h>

#include <string>

#include "support/CaseFile.h"
#include "support/Platform.h"

namespace {

using qel::test::underWine;

using WString = std::basic_string<WCHAR>;

// FormatMessageW with its inserts given as variable arguments.
DWORD format(DWORD flags, LPCVOID source, DWORD id, DWORD lang, WCHAR* buffer, DWORD size, ...) {
  va_list args;
  va_start(args, size);
  DWORD n = FormatMessageW(flags, source, id, lang, buffer, size, &args);
  va_end(args);
  return n;
}

WString fromString(const WCHAR* text, ...) {
  WCHAR buffer[512];
  va_list args;
  va_start(args, text);
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING, text, 0, 0, buffer, 512, &args);
  va_end(args);
  return n ? WString(buffer, n) : WString(QEL_W("<failed>"));
}

WString system(DWORD id, DWORD lang, DWORD widthFlags = FORMAT_MESSAGE_MAX_WIDTH_MASK) {
  WCHAR buffer[512];
  DWORD n = format(FORMAT_MESSAGE_FROM_SYSTEM | widthFlags, nullptr, id, lang, buffer, 512);
  return n ? WString(buffer, n) : WString();
}

}  // namespace

TEST(FormatMessageW, InsertsAndEscapes) {
  EXPECT_EQ(fromString(QEL_W("%1 and %2"), QEL_W("one"), QEL_W("two")), QEL_W("one and two"));
  EXPECT_EQ(fromString(QEL_W("%2-%1-%2"), QEL_W("a"), QEL_W("b")), QEL_W("b-a-b"));
  EXPECT_EQ(fromString(QEL_W("%1!d! %2!04X! %3!s!"), 42, 255, QEL_W("x")), QEL_W("42 00FF x"));
  EXPECT_EQ(fromString(QEL_W("[%1!*s!]"), 5, QEL_W("ab")), QEL_W("[   ab]"));
  EXPECT_EQ(fromString(QEL_W("%1!S!"), "narrow"), QEL_W("narrow"));
  EXPECT_EQ(fromString(QEL_W("%10"), QEL_W("1"), QEL_W("2"), QEL_W("3"), QEL_W("4"), QEL_W("5"), QEL_W("6"),
                       QEL_W("7"), QEL_W("8"), QEL_W("9"), QEL_W("ten")),
            QEL_W("ten"));
  // Wine's FormatMessage knows no %b.
  EXPECT_EQ(fromString(QEL_W("a%%b%.c%!d%te%bf% g")),
            underWine() ? QEL_W("a%b.c!d\tebf g") : QEL_W("a%b.c!d\te f g"));
  EXPECT_EQ(fromString(QEL_W("x%ny%rz")), QEL_W("x\r\ny\rz"));
  EXPECT_EQ(fromString(QEL_W("kept%0dropped")), QEL_W("kept"));
}

TEST(FormatMessageW, IgnoreInsertsAndArgumentArrays) {
  WCHAR buffer[64];
  DWORD n = format(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_IGNORE_INSERTS, QEL_W("%1 and %2!d!%n"), 0, 0,
                   buffer, 64);
  EXPECT_EQ(WString(buffer, n), QEL_W("%1 and %2!d!\r\n"));

  DWORD_PTR array[] = {reinterpret_cast<DWORD_PTR>(QEL_W("first")), 7};
  n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, QEL_W("%1=%2!u!"), 0, 0,
                     buffer, 64, reinterpret_cast<va_list*>(array));
  EXPECT_EQ(WString(buffer, n), QEL_W("first=7"));

  SetLastError(0);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_STRING, QEL_W("needs %1"), 0, 0, buffer, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(FormatMessageW, LineWidth) {
  // Width 0 keeps the text's line breaks; the mask makes them blanks.
  if (!underWine()) {  // Wine words the system's messages its own way
    EXPECT_EQ(system(5, 1033, 0), QEL_W("Access is denied.\r\n"));
    EXPECT_EQ(system(5, 1033), QEL_W("Access is denied. "));
    EXPECT_EQ(
        system(34, 1033, FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK),
        QEL_W("The wrong diskette is in the drive. Insert %2 (Volume Serial Number: %3) into drive %1. "));
  }
  WCHAR buffer[128];
  DWORD n = format(FORMAT_MESSAGE_FROM_STRING | 12, QEL_W("one two three four five%nsix"), 0, 0, buffer, 128);
  EXPECT_EQ(WString(buffer, n), QEL_W("one two\r\nthree four\r\nfive\r\nsix"));
}

TEST(FormatMessageW, SystemMessagesInBothLanguages) {
  if (underWine()) GTEST_SKIP() << "Wine words the system's messages its own way";
  for (const qel::test::Case& c : qel::test::readCases("platform/system_messages.txt")) {
    const DWORD id = DWORD(std::stoul(c[0], nullptr, 16));
    EXPECT_EQ(system(id, 1033), qel::test::unescape(c[1] + " ")) << c.where;
    EXPECT_EQ(system(id, 1031), qel::test::unescape(c[2] + " ")) << c.where;
  }
  WCHAR buffer[128];
  EXPECT_EQ(format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 193, 1031, buffer, 128, QEL_W("X.EXE")), 44u);
  EXPECT_EQ(WString(buffer), QEL_W("X.EXE ist keine zulässige Win32-Anwendung.\r\n"));
}

TEST(FormatMessageW, FailuresSetTheLastError) {
  WCHAR buffer[8];
  struct Row {
    DWORD flags;
    DWORD id;
    DWORD lang;
    DWORD size;
    DWORD error;
    bool layersOwn = false;  // our layer's answer: Windows has French texts and reads mixed flags its own way
  };
  const Row rows[] = {
      {FORMAT_MESSAGE_FROM_SYSTEM, 0x2A, 0, 8, ERROR_MR_MID_NOT_FOUND},
      {FORMAT_MESSAGE_FROM_SYSTEM, 5, 1036, 8, ERROR_RESOURCE_LANG_NOT_FOUND, true},
      {FORMAT_MESSAGE_FROM_SYSTEM, 5, 1033, 8, ERROR_INSUFFICIENT_BUFFER},
      {0, 5, 1033, 8, ERROR_INVALID_PARAMETER, true},
      {FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_SYSTEM, 5, 1033, 8, ERROR_INVALID_PARAMETER, true},
  };
  for (const Row& r : rows) {
    if (r.layersOwn && qel::test::onWindows()) continue;
    SetLastError(0);
    EXPECT_EQ(format(r.flags, QEL_W("x"), r.id, r.lang, buffer, r.size), 0u);
    EXPECT_EQ(GetLastError(), r.error) << r.id;
  }
  if (qel::test::onWindows()) return;  // the made-up module below is our layer's case
  // A module without a message table.
  SetLastError(0);
  EXPECT_EQ(format(FORMAT_MESSAGE_FROM_HMODULE, reinterpret_cast<HMODULE>(0x1000), 5, 0, buffer, 8), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST(FormatMessageW, AllocateBuffer) {
  LPWSTR text = nullptr;
  DWORD n =
      format(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_MAX_WIDTH_MASK,
             nullptr, 6, 1033, reinterpret_cast<LPWSTR>(&text), 0);
  ASSERT_NE(text, nullptr);
  if (!underWine()) {
    EXPECT_EQ(WString(text, n), QEL_W("The handle is invalid. "));
  }
  EXPECT_EQ(text[n - 1], WCHAR(' '));
  EXPECT_EQ(text[n], 0);
  EXPECT_EQ(LocalFree(text), nullptr);
}
