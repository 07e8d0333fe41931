/* The buffered file: lines and blocks across buffer sizes, both text forms,
   result codes, platform failures and memory failures. */
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "QELBase.h"
#ifndef _WIN32
#include "platform/posix/syscalls.h"
#endif
#include "support/CaseFile.h"
#include "support/Files.h"
#include "support/ScratchRegistry.h"
#include "support/WideText.h"

namespace {

using qel::test::widen;
using qel::test::WString;
using Bytes = std::string;

constexpr DWORD kEof = 0x80070026u;

class QELFileTest : public qel::test::ScratchTest {
 public:
  std::string path(const char* name = "f.txt") const { return ScratchTest::path(name); }
  void put(const Bytes& content) const { qel::test::writeFile(path(), content); }
  Bytes contents() const { return qel::test::readFile(path()); }
  // Opens an existing file; the code of mode 2 (0x80004001) counts as success.
  DWORD open(QELFileObject& f, DWORD bufSize, LONG mode, DWORD access = GENERIC_READ,
             DWORD disposition = OPEN_EXISTING, const std::string& name = "") const {
    const WString w = widen(name.empty() ? path() : name);
    DWORD r = QELFileOpen(&f, bufSize, w.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                          FILE_ATTRIBUTE_NORMAL, nullptr, mode);
    return r == 0x80004001u && mode == 2 ? 0 : r;
  }
  // Every line until the end; the end must be reported twice.
  static std::vector<WString> lines(QELFileObject& f, DWORD size) {
    std::vector<WString> out;
    std::vector<WCHAR> buffer(size + 1, WCHAR('#'));
    for (DWORD r; (r = QELFileGetLine(&f, buffer.data(), size)) != kEof;) {
      EXPECT_EQ(r, 0u);
      if (r || out.size() > 1000) break;
      EXPECT_EQ(buffer[size], WCHAR('#')) << "written past the line buffer";
      out.emplace_back(buffer.data());
    }
    EXPECT_EQ(QELFileGetLine(&f, buffer.data(), size), kEof);
    return out;
  }
};

Bytes utf16(const WString& text) {
  Bytes out;
  for (WCHAR c : text) out += char(c & 0xFF), out += char(c >> 8);
  return out;
}

std::vector<WString> wideLines(std::initializer_list<const WCHAR*> texts) {
  std::vector<WString> out;
  for (const WCHAR* t : texts) out.emplace_back(t, t + std::char_traits<WCHAR>::length(t));
  return out;
}

// The lines of a text, joined by |, as each buffer size and text form reads them.
void expectLines(QELFileTest& test, const WString& text, DWORD lineSize, const std::string& expected) {
  for (DWORD bufSize : {1u, 2u, 7u, 4096u}) {
    for (const Bytes mark : {"-", "", "\xFF\xFE", "\xFE\xFF"}) {  // - : single-byte text
      Bytes ansi;
      for (WCHAR ch : text) ansi += ch == u'\u20ac' ? '\x80' : char(ch);
      test.put(mark == "-" ? ansi : mark + utf16(text));
      QELFileObject f;
      ASSERT_EQ(test.open(f, bufSize, mark == "-" ? 1 : 2), 0u);
      std::string joined;
      for (const WString& line : QELFileTest::lines(f, lineSize)) joined += qel::test::narrow(line) + "|";
      EXPECT_EQ(joined, expected.empty() ? "" : expected + "|") << " buffer " << bufSize << " mark " << mark;
      EXPECT_EQ(QELFileClose(&f), 0u);
    }
  }
}

TEST_F(QELFileTest, LinesAcrossBufferSizesEndingsAndBothTextForms) {
  for (const qel::test::Case& c : qel::test::readCases("file/lines.txt")) {
    SCOPED_TRACE(c.where);
    expectLines(*this, qel::test::unescape(c[0]), DWORD(std::stoul(c[1])),
                qel::test::narrow(qel::test::unescape(c[2])));
  }
  expectLines(*this, WString(5000, u'z') + QEL_W("\nend"), 6000, std::string(5000, 'z') + "|end");
}

TEST_F(QELFileTest, BlocksPositionsAndAnOddByteAtTheEnd) {
  Bytes data;
  for (int i = 0; i < 30; ++i) data += char(i * 7);
  put(data);
  for (DWORD bufSize : {1u, 7u, 4096u}) {
    QELFileObject f;
    ASSERT_EQ(open(f, bufSize, 1), 0u);
    BYTE out[100];
    DWORD n = 100;
    EXPECT_EQ(QELFileGetBlock(&f, out, &n), 0u);
    EXPECT_EQ(Bytes(reinterpret_cast<char*>(out), n), data);
    EXPECT_EQ(QELFileGetPos(&f), 30u);
    n = 5;
    EXPECT_EQ(QELFileGetBlock(&f, out, &n), kEof);
    EXPECT_EQ(n, 5u);  // unchanged at the end
    // At the end the buffer is empty, so a new position takes effect at once.
    EXPECT_EQ(QELFileSetPos(&f, 25), 0u);
    EXPECT_EQ(QELFileGetBlock(&f, out, &n), 0u);
    EXPECT_EQ(Bytes(reinterpret_cast<char*>(out), n), data.substr(25));
    QELFileClose(&f);
  }
  // UTF-16 text of an odd length: the half character is dropped.
  put(Bytes("\xFF\xFEh\0i\0!", 7));
  for (DWORD bufSize : {1u, 2u, 3u, 4096u}) {
    QELFileObject f;
    ASSERT_EQ(open(f, bufSize, 2), 0u);
    EXPECT_EQ(lines(f, 10), wideLines({QEL_W("hi")})) << bufSize;
    QELFileClose(&f);
  }
}

TEST_F(QELFileTest, WritingBothTextFormsAndReadingBack) {
  QELFileObject f;
  ASSERT_EQ(open(f, 16, 2, GENERIC_READ | GENERIC_WRITE, CREATE_NEW), 0u);
  const WString first = wideLines({QEL_W("K\u00f6ln \u4e2d\n")})[0];
  EXPECT_EQ(QELFileWriteLine(&f, first.c_str(), DWORD(first.size())), 0u);
  EXPECT_EQ(QELFileWriteLine(&f, QEL_W("two"), 3), 0u);
  EXPECT_EQ(QELFileGetPos(&f), 2u + 2 * 10);
  EXPECT_EQ(contents(), "\xFF\xFE" + utf16(QEL_W("K\u00f6ln \u4e2d\ntwo")));
  QELFileSetPos(&f, 0);  // the mark is behind us: reading starts at 0 with it
  EXPECT_EQ(lines(f, 80), wideLines({QEL_W("\ufeffK\u00f6ln \u4e2d"), QEL_W("two")}));
  EXPECT_EQ(QELFileClose(&f), 0u);

  // Single-byte text: the ANSI code page, '?' for what it lacks, no mark,
  // as many bytes as characters asked for.
  ASSERT_EQ(open(f, 16, 1, GENERIC_WRITE, CREATE_ALWAYS), 0u);
  EXPECT_EQ(QELFileWriteLine(&f, first.c_str(), DWORD(first.size())), 0u);
  EXPECT_EQ(QELFileWriteLine(&f, QEL_W("ab"), 4), 0u);  // shorter than asked: zero bytes fill up
  EXPECT_EQ(QELFileWriteBlock(&f, reinterpret_cast<const BYTE*>("\r\n"), 2), 0u);
  EXPECT_EQ(contents(), Bytes("K\xF6ln ?\nab\0\0\r\n", 13));
  EXPECT_EQ(QELFileClose(&f), 0u);
}

TEST_F(QELFileTest, EveryCharacterOfTheAnsiCodePageRoundTrips) {
  WString all;
  for (int b = 1; b < 256; ++b) {
    if (b == '\n' || b == '\r') continue;
    char byte[2] = {char(b), 0};
    WCHAR w[2] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, byte, -1, w, 2), 2);
    all += w[0];
  }
  QELFileObject f;
  ASSERT_EQ(open(f, 7, 1, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS), 0u);
  ASSERT_EQ(QELFileWriteLine(&f, all.c_str(), DWORD(all.size())), 0u);
  Bytes expected;
  for (int b = 1; b < 256; ++b)
    if (b != '\n' && b != '\r') expected += char(b);
  EXPECT_EQ(contents(), expected);
  QELFileSetPos(&f, 0);
  EXPECT_EQ(lines(f, 512), std::vector<WString>{all});
  QELFileClose(&f);
}

TEST_F(QELFileTest, ResultCodes) {
  QELFileObject f;
  WCHAR line[8];
  BYTE block[8];
  DWORD n = 8;
  // Missing arguments, the text to write before the object is looked at.
  for (DWORD rc : {QELFileInit(nullptr),
                   QELFileOpen(nullptr, 8, QEL_W("x"), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr, 1),
                   QELFileClose(nullptr), QELFileGetLine(nullptr, line, 8),
                   QELFileGetBlock(nullptr, block, &n), QELFileWriteLine(&f, nullptr, 1),
                   QELFileWriteLine(nullptr, QEL_W("a"), 1), QELFileWriteBlock(nullptr, block, 1)})
    EXPECT_EQ(rc, 0x80070057u);

  // Initialised, no file: the magic, then the count, then the handle.
  ASSERT_EQ(QELFileInit(&f), 0u);
  EXPECT_EQ(f.dwMagic, 0xBA49u);
  EXPECT_EQ(f.hFile, INVALID_HANDLE_VALUE);
  EXPECT_EQ(f.bBomPending, TRUE);
  EXPECT_EQ(QELFileGetLine(&f, line, 0), 0x80070057u);
  EXPECT_EQ(QELFileGetLine(&f, line, 8), 0x80070006u);
  n = 0;
  EXPECT_EQ(QELFileGetBlock(&f, block, &n), 0x80070057u);
  EXPECT_EQ(QELFileGetBlock(&f, block, nullptr), 0x80070057u);
  EXPECT_EQ(QELFileWriteBlock(&f, block, 0), 0x80070057u);
  EXPECT_EQ(QELFileWriteLine(&f, QEL_W("a"), 1), 0x80070006u);
  EXPECT_EQ(QELFileClose(&f), 0u);  // nothing open: nothing happens
  EXPECT_EQ(f.dwMagic, 0xBA49u);
  f.dwMagic = 7;
  n = 8;
  for (DWORD rc :
       {QELFileGetLine(&f, line, 8), QELFileGetBlock(&f, block, &n), QELFileWriteLine(&f, QEL_W("a"), 1)})
    EXPECT_EQ(rc, 0x8007000Du);

  // Opening: the platform's error, the mode-2 code, an empty file, buffer size 0.
  EXPECT_EQ(open(f, 8, 1, GENERIC_READ, OPEN_EXISTING, path("missing")), 0x80070002u);
  EXPECT_EQ(open(f, 8, 1, GENERIC_READ, OPEN_EXISTING, path("none/missing")), 0x80070003u);
  put("");
  EXPECT_EQ(QELFileOpen(&f, 8, widen(path()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr, 2),
            0x80004001u);
  EXPECT_EQ(QELFileGetLine(&f, line, 8), kEof);
  EXPECT_EQ(QELFileClose(&f), 0u);
  EXPECT_EQ(f.dwMagic, 0u);
  EXPECT_EQ(f.pBuffer, nullptr);
  EXPECT_EQ(QELFileClose(&f), 0u);
  put("text\n");
  ASSERT_EQ(open(f, 0, 0), 0u);
  EXPECT_EQ(f.nMode, 1);
  EXPECT_EQ(QELFileGetLine(&f, line, 8), kEof);
  EXPECT_EQ(QELFileGetBlock(&f, block, &n), kEof);

  // A wrong magic at close: 0x8007000D, the buffer still freed (the leak
  // checker would see it), the handle not trusted.
  HANDLE handle = f.hFile;
  f.dwMagic = 1;
  EXPECT_EQ(QELFileClose(&f), 0x8007000Du);
  EXPECT_EQ(f.hFile, INVALID_HANDLE_VALUE);
  EXPECT_EQ(f.pBuffer, nullptr);
  EXPECT_TRUE(CloseHandle(handle));
}

#ifndef _WIN32  // system calls that fail on demand, and removing an open file, are POSIX's
TEST_F(QELFileTest, PlatformFailuresKeepTheObjectUsable) {
  namespace sys = qel::posix::sys;
  struct Case {
    const char* what;
    sys::Call call;
    int error;
    DWORD expected;
  } cases[] = {
      {"a full disk", sys::kWrite, ENOSPC, 0x80070070u},
      {"a file size limit", sys::kWrite, EFBIG, 0x800700DFu},
      {"a device error", sys::kRead, EIO, 0x8007045Du},
      {"a descriptor without the access", sys::kRead, EBADF, 0x80070005u},
  };
  QELFileObject f;
  WCHAR line[8];
  for (const Case& c : cases) {
    put("one\ntwo\n");
    ASSERT_EQ(open(f, 8, 1, GENERIC_READ | GENERIC_WRITE), 0u);
    sys::failCall(1, c.error, c.call);
    const DWORD rc = c.call == sys::kWrite ? QELFileWriteBlock(&f, reinterpret_cast<const BYTE*>("xyz"), 3)
                                           : QELFileGetLine(&f, line, 8);
    sys::failCall(0, 0);
    EXPECT_EQ(rc, c.expected) << c.what;
    // Nothing half-written, and the object goes on working.
    EXPECT_EQ(contents(), Bytes("one\ntwo\n")) << c.what;
    EXPECT_EQ(QELFileWriteBlock(&f, reinterpret_cast<const BYTE*>("x"), 1), 0u) << c.what;
    EXPECT_EQ(QELFileClose(&f), 0u) << c.what;
  }
  put("one\n");
  ASSERT_EQ(open(f, 8, 1, GENERIC_WRITE), 0u);
  EXPECT_EQ(QELFileGetLine(&f, line, 8), 0x80070005u);  // not opened for reading
  EXPECT_EQ(QELFileClose(&f), 0u);

  // The file disappears while open: what is open stays readable, a new
  // open reports the missing file.
  put("one\ntwo\n");
  ASSERT_EQ(open(f, 2, 1), 0u);
  ASSERT_EQ(QELFileGetLine(&f, line, 8), 0u);
  std::filesystem::remove(path());
  EXPECT_EQ(lines(f, 8), wideLines({QEL_W("two")}));
  EXPECT_EQ(QELFileClose(&f), 0u);
  EXPECT_EQ(open(f, 2, 1), 0x80070002u);
}
#endif

}  // namespace
