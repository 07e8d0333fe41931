/*
 * INI files ("profiles"): sections in brackets, key=value lines.  Names
 * compare without regard to case; a file is ANSI (code page 1252) unless
 * it begins with the UTF-16LE mark, and keeps its form when rewritten.
 * A write replaces the file through a temporary, so a crash never leaves
 * half a file.  The readers keep the last file they parsed, with its
 * sections indexed by name, while its identity, size and modification time
 * stay the same (our own writes drop it), so that reading every section of
 * a file one by one costs time in proportion to the file, not its square.
 */
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "handles.h"
#include "shield.h"
#include "syscalls.h"
#include "wide_case.h"

namespace qel::posix {
namespace {

using Text = std::u16string;

struct Profile {
  bool wide = false;
  std::vector<Text> lines;
};

Text trim(const Text& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == u' ' || s[b] == u'\t')) ++b;
  while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t')) --e;
  return s.substr(b, e - b);
}

bool sameName(const Text& a, const Text& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (upperLetter(a[i]) != upperLetter(b[i])) return false;
  return true;
}

// The name of a section line ("[name]", to the first closing bracket), else
// false: a line with an opening bracket only is an ordinary line, as in Wine.
bool sectionOf(const Text& line, Text& name) {
  const Text t = trim(line);
  const size_t close = t.find(u']');
  if (t.empty() || t[0] != u'[' || close == Text::npos) return false;
  name = trim(t.substr(1, close - 1));
  return true;
}

bool isEntry(const Text& line) {
  const Text t = trim(line);
  return !t.empty() && t[0] != u';';
}

Text keyOf(const Text& line) { return trim(line.substr(0, line.find(u'='))); }

// An entry as the section readers give it: key=value, blanks around both cut.
Text entryText(const Text& line) {
  const size_t eq = line.find(u'=');
  return eq == Text::npos ? trim(line) : trim(line.substr(0, eq)) + u"=" + trim(line.substr(eq + 1));
}

// Reads the file; a missing file is an empty profile.  False with the
// last error set when the file exists but cannot be read.
bool load(const std::string& path, Profile& profile) {
  int fd = sys::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? true : failWithErrno();
  std::string bytes;
  char chunk[65536];
  for (ssize_t n; (n = sys::read(fd, chunk, sizeof chunk)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      sys::close(fd);
      return failWithErrno();
    }
    bytes.append(chunk, size_t(n));
  }
  sys::close(fd);
  Text text;
  profile.wide = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  if (profile.wide) {
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text.push_back(char16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
  } else if (!bytes.empty()) {
    text.resize(bytes.size());
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), text.data(), int(text.size()));
  }
  Text line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      profile.lines.push_back(line);
      line.clear();
    } else {
      line.push_back(text[i]);
    }
  }
  if (!line.empty()) profile.lines.push_back(line);
  return true;
}

bool save(const std::string& path, const Profile& profile) {
  Text text;
  for (const Text& line : profile.lines) text += line + u"\r\n";
  std::string bytes;
  if (profile.wide) {
    bytes = "\xFF\xFE";
    for (char16_t c : text) bytes += char(c & 0xFF), bytes += char(c >> 8);
  } else if (!text.empty()) {
    bytes.resize(text.size());
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), bytes.data(), int(bytes.size()), nullptr,
                        nullptr);
  }
  const std::string temporary = path + ".qeltmp" + std::to_string(getpid());
  int fd = sys::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : errorOf(errno));
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = sys::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    done += size_t(n);
  }
  const int error = done == bytes.size() ? (sys::fsync(fd) == 0 ? 0 : errno) : errno;
  sys::close(fd);
  if (error || sys::rename(temporary.c_str(), path.c_str()) != 0) {
    SetLastError(errorOf(error ? error : errno));
    sys::unlink(temporary.c_str());
    return false;
  }
  return true;
}

// Copies zero-terminated items and the final zero by Windows' rule: a list
// that does not fit is cut, ends in two zeros and reports nSize - 2.
DWORD deliverList(const Text& items, LPWSTR out, DWORD size) {
  if (!out || size == 0) return 0;
  if (size == 1) return out[0] = 0, 0;
  if (items.size() + 1 <= size) {
    std::memcpy(out, items.data(), items.size() * sizeof(WCHAR));
    out[items.size()] = 0;
    if (items.empty()) out[1] = 0;
    return DWORD(items.size());
  }
  std::memcpy(out, items.data(), (size - 2) * sizeof(WCHAR));
  out[size - 2] = out[size - 1] = 0;
  return size - 2;
}

// The lines [first, end) of the section that begins at line `header`.
size_t sectionEnd(const Profile& profile, size_t header) {
  Text name;
  size_t i = header + 1;
  while (i < profile.lines.size() && !sectionOf(profile.lines[i], name)) ++i;
  return i;
}

size_t findSection(const Profile& profile, const Text& section) {
  Text name;
  for (size_t i = 0; i < profile.lines.size(); ++i)
    if (sectionOf(profile.lines[i], name) && sameName(name, section)) return i;
  return profile.lines.size();
}

Text upperName(const Text& name) {
  Text upper(name);
  for (char16_t& c : upper) c = upperLetter(c);
  return upper;
}

// A file as the readers see it: the section names, each once in its first
// spelling, and the entries of each name (sections of one name read as
// one), zero-separated.
struct ParsedProfile {
  Text names;
  std::unordered_map<Text, Text> entries;  // by upper-case name
};

ParsedProfile parse(const Profile& profile) {
  ParsedProfile parsed;
  Text name;
  Text* current = nullptr;
  for (const Text& line : profile.lines) {
    if (sectionOf(line, name)) {
      auto [at, added] = parsed.entries.try_emplace(upperName(name));
      if (added) parsed.names += name + u'\0';
      current = &at->second;
    } else if (current && isEntry(line)) {
      *current += entryText(line) + u'\0';
    }
  }
  return parsed;
}

// The last file parsed and what identifies its content.
struct ProfileCache {
  std::mutex mutex;
  std::string path;
  struct stat identity {};
  std::shared_ptr<const ParsedProfile> parsed;
};

ProfileCache& profileCache() {
  static ProfileCache* cache = new ProfileCache;  // never destroyed: used until exit
  return *cache;
}

bool sameContent(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// The parsed file, from the cache while the file is unchanged; an empty
// profile for a file that is missing or cannot be read.
std::shared_ptr<const ParsedProfile> parsedProfile(const std::string& path) {
  ProfileCache& cache = profileCache();
  struct stat now {};
  const bool exists = sys::stat(path.c_str(), &now) == 0;
  std::lock_guard<std::mutex> hold(cache.mutex);
  if (exists && cache.parsed && cache.path == path && sameContent(cache.identity, now)) return cache.parsed;
  Profile profile;
  if (!load(path, profile)) profile.lines.clear();
  auto parsed = std::make_shared<const ParsedProfile>(parse(profile));
  // A file changed while being read shows a new identity next time.
  struct stat after {};
  if (exists && sys::stat(path.c_str(), &after) == 0 && sameContent(after, now)) {
    cache.path = path;
    cache.identity = now;
    cache.parsed = parsed;
  }
  return parsed;
}

void forgetProfile() {
  ProfileCache& cache = profileCache();
  std::lock_guard<std::mutex> hold(cache.mutex);
  cache.parsed.reset();
  cache.path.clear();
}

}  // namespace
}  // namespace qel::posix

using namespace qel::posix;

extern "C" {

DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName) {
  if (!lpFileName) return SetLastError(ERROR_INVALID_PARAMETER), 0;
  return shielded(
      [&]() -> DWORD {
        return deliverList(parsedProfile(hostPath(lpFileName))->names, lpszReturnBuffer, nSize);
      },
      DWORD(0));
}

DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize,
                                       LPCWSTR lpFileName) {
  if (!lpAppName || !lpFileName) return SetLastError(ERROR_INVALID_PARAMETER), 0;
  return shielded(
      [&]() -> DWORD {
        const auto parsed = parsedProfile(hostPath(lpFileName));
        const auto found = parsed->entries.find(upperName(lpAppName));
        return deliverList(found == parsed->entries.end() ? Text() : found->second, lpReturnedString, nSize);
      },
      DWORD(0));
}

BOOL WINAPI WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                       LPCWSTR lpFileName) {
  if (!lpAppName || !lpFileName) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  return shielded(
      [&]() -> BOOL {
        const std::string path = hostPath(lpFileName);
        forgetProfile();
        Profile profile;
        if (!load(path, profile)) return FALSE;
        const size_t header = findSection(profile, lpAppName);
        auto& lines = profile.lines;
        if (header == lines.size()) {
          if (!lpKeyName || !lpString) return TRUE;  // nothing to delete
          if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
          lines.push_back(u"[" + Text(lpAppName) + u"]");
          lines.push_back(Text(lpKeyName) + u"=" + lpString);
          return save(path, profile);
        }
        size_t end = sectionEnd(profile, header);
        if (!lpKeyName) {
          lines.erase(lines.begin() + long(header), lines.begin() + long(end));
          return save(path, profile);
        }
        const Text key = trim(lpKeyName);
        size_t at = header + 1;
        while (at < end && !(isEntry(lines[at]) && sameName(keyOf(lines[at]), key))) ++at;
        if (!lpString) {
          if (at == end) return TRUE;
          lines.erase(lines.begin() + long(at));
        } else if (at < end) {
          lines[at] = Text(lpKeyName) + u"=" + lpString;
        } else {
          while (end > header + 1 && trim(lines[end - 1]).empty()) --end;  // behind the last entry
          lines.insert(lines.begin() + long(end), Text(lpKeyName) + u"=" + lpString);
        }
        return save(path, profile);
      },
      BOOL(FALSE));
}

}  // extern "C"
