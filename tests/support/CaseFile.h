/* Case files: tables of cases kept as text beside the tests, one case per
   line with tab-separated fields, "# " lines for comments.  Texts are UTF-8;
   {U+XXXX} writes any other code point (controls, invisible blanks, lone
   surrogates), as narrow() renders them, and {} nothing (an empty field).  Results are compared as rendered
   lines in the same notation. */
#ifndef QEL_TESTS_CASE_FILE_H
#define QEL_TESTS_CASE_FILE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "strings/Utf8Text.h"
#include "support/WideText.h"

namespace qel::test {

struct Case {
  std::string where;  // file:line, for the failure messages
  std::vector<std::string> fields;
  const std::string& operator[](size_t i) const { return fields.at(i); }
  size_t size() const { return fields.size(); }
};

// The cases of tests/<name>.
inline std::vector<Case> readCases(const std::string& name) {
  const std::string path = std::string(QELBASE_TEST_SOURCE_DIR) + "/" + name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << path;
  std::vector<Case> cases;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line == "#" || line.rfind("# ", 0) == 0) continue;
    Case c{name + ":" + std::to_string(number), {}};
    for (size_t at = 0; at <= line.size();) {
      size_t end = line.find('\t', at);
      if (end == std::string::npos) end = line.size();
      std::string field = line.substr(at, end - at);
      c.fields.push_back(field);
      at = line.find_first_not_of('\t', end);
      if (at == std::string::npos) break;
    }
    cases.push_back(std::move(c));
  }
  EXPECT_FALSE(cases.empty()) << path;
  return cases;
}

// A field's text as UTF-16.
inline WString unescape(const std::string& text) {
  WString out;
  for (size_t i = 0; i < text.size();) {
    unsigned long c = 0;
    if (text.compare(i, 2, "{}") == 0) {
      i += 2;
    } else if (text.compare(i, 3, "{U+") == 0 && std::sscanf(text.c_str() + i, "{U+%lx}", &c) == 1) {
      i = text.find('}', i) + 1;
      if (c >= 0x10000) out += WCHAR(0xD800 + ((c - 0x10000) >> 10)), c = 0xDC00 + ((c - 0x10000) & 0x3FF);
      out += WCHAR(c);
    } else {  // UTF-8 up to the next brace
      const size_t end = std::min(text.find('{', i + 1), text.size());
      out += qel::fromUtf8(std::string_view(text).substr(i, end - i));
      i = end;
    }
  }
  return out;
}

// A date and time as the case files write them: "2024-1-31", or
// "2024-1-31 23:59:59.999"; the day of week is 0.
inline SYSTEMTIME systemTimeOf(const std::string& text) {
  int f[7] = {};
  std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6]);
  return SYSTEMTIME{WORD(f[0]), WORD(f[1]), 0, WORD(f[2]), WORD(f[3]), WORD(f[4]), WORD(f[5]), WORD(f[6])};
}

}  // namespace qel::test

#endif
