/* Splitting Windows command lines and finding the program they name. */
#include "command_line.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "syscalls.h"

namespace qel::posix {
namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// The program word takes no escapes: a quoted one ends at the next quote.
size_t takeProgram(std::u16string_view line, size_t i, std::u16string& word) {
  if (i < line.size() && line[i] == u'"') {
    size_t end = line.find(u'"', i + 1);
    if (end == std::u16string_view::npos) end = line.size();
    word.assign(line.substr(i + 1, end - i - 1));
    return end < line.size() ? end + 1 : end;
  }
  size_t end = i;
  while (end < line.size() && !isBlank(line[end])) ++end;
  word.assign(line.substr(i, end - i));
  return end;
}

// 2n backslashes before a quote give n and the quote opens or closes a
// quoted part; 2n+1 give n and a literal quote; "" inside a quoted part is
// a literal quote.  Other backslashes stand for themselves.
size_t takeArgument(std::u16string_view line, size_t i, std::u16string& word) {
  bool quoted = false;
  while (i < line.size() && (quoted || !isBlank(line[i]))) {
    char16_t c = line[i];
    if (c == u'\\') {
      size_t run = 0;
      while (i + run < line.size() && line[i + run] == u'\\') ++run;
      i += run;
      bool beforeQuote = i < line.size() && line[i] == u'"';
      word.append(beforeQuote ? run / 2 : run, u'\\');
      if (beforeQuote && run % 2) word += u'"', ++i;
    } else if (c == u'"') {
      if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
        word += u'"';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
    } else {
      word += c;
      ++i;
    }
  }
  return i;
}

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return sys::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && sys::access(path.c_str(), X_OK) == 0;
}

// The names a program name may have on disk.
std::vector<std::string> spellings(const std::string& name) {
  const size_t n = name.size();
  if (n > 4 && strcasecmp(name.c_str() + n - 4, ".exe") == 0) return {name, name.substr(0, n - 4)};
  return {name, name + ".exe"};
}

std::string findIn(const std::string& folder, const std::vector<std::string>& names) {
  const std::string prefix = folder.empty() ? "./" : folder.back() == '/' ? folder : folder + "/";
  for (const std::string& name : names)
    if (isExecutableFile(prefix + name)) return prefix + name;
  const sys::Directory dir(sys::opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return {};
  std::string found;
  while (dirent* entry = sys::readdir(dir.get())) {
    for (const std::string& name : names)
      if (strcasecmp(entry->d_name, name.c_str()) == 0 && isExecutableFile(prefix + entry->d_name))
        found = prefix + entry->d_name;
    if (!found.empty()) break;
  }
  return found;
}

}  // namespace

std::vector<std::u16string> splitCommandLine(std::u16string_view line) {
  std::vector<std::u16string> words;
  size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i == line.size()) return words;
  i = takeProgram(line, i, words.emplace_back());
  for (;;) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i == line.size()) return words;
    i = takeArgument(line, i, words.emplace_back());
  }
}

std::string findProgram(const std::string& name, const std::string& searchPath) {
  if (name.empty()) return {};
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos)
    return findIn(slash == 0 ? "/" : name.substr(0, slash), spellings(name.substr(slash + 1)));
  const std::vector<std::string> names = spellings(name);
  for (size_t start = 0;;) {
    const size_t colon = searchPath.find(':', start);
    const std::string folder = searchPath.substr(start, colon - start);
    if (std::string found = findIn(folder, names); !found.empty()) return found;
    if (colon == std::string::npos) return {};
    start = colon + 1;
  }
}

}  // namespace qel::posix
