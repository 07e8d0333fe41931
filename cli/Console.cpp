/* UTF-8 conversion, argument parsing and error reporting for the qel tool. */
#include "Console.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "QELBase.h"

namespace qel::cli {

std::string visibleUtf8(std::basic_string_view<WCHAR> text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::basic_string<WCHAR> out;
  for (WCHAR c : text) {
    auto hex = [&](std::string prefix, int digits) {
      for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) prefix += kHex[(c >> shift) & 15];
      for (char p : prefix) out += WCHAR(p);
    };
    if (c < 0x20 || c == 0x7F) {
      hex("\\x", 2);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      hex("\\u", 4);  // each half of a pair on its own
    } else {
      out += c;
    }
  }
  return toUtf8(out);
}

bool parseCode(std::string_view text, DWORD& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string messageText(DWORD code, DWORD language) {
  WCHAR buffer[1024];
  QELBaseFormatMessage(code, language, buffer, 1024);
  std::string text = toUtf8(buffer);
  // The message's closing line break comes back as a blank; not for show.
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

int usageError(std::string_view message, std::string_view usage) {
  std::cerr << "qel: " << message << "\nusage: " << usage << "\n";
  return 2;
}

bool readInput(std::string_view file, std::string& out) {
  const bool standardInput = file == "-";
  std::FILE* in = standardInput ? stdin : std::fopen(std::string(file).c_str(), "rb");
  int error = in ? 0 : errno;
  if (in) {
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) out.append(chunk, n);
    if (std::ferror(in)) error = errno ? errno : EIO;  // a directory, a read that failed
    if (!standardInput) std::fclose(in);
  }
  if (!error) return true;
  std::cerr << "qel: cannot read '" << file << "': " << std::strerror(error) << "\n";
  return false;
}

bool canRead(std::string_view file) {
  const std::basic_string<WCHAR> name = fromUtf8(file);
  HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  char byte;
  DWORD read = 0;
  bool readable = handle != INVALID_HANDLE_VALUE && ReadFile(handle, &byte, 1, &read, nullptr);
  DWORD error = readable ? 0 : GetLastError();
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  if (!readable) std::cerr << "qel: cannot read '" << file << "': " << messageText(error) << "\n";
  return readable;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t begin = 0; begin < text.size();) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string& line = lines.emplace_back(text, begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    begin = end + 1;
  }
  return lines;
}

}  // namespace qel::cli
