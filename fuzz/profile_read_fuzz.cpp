/*
 * The INI reader on arbitrary file content (ANSI or, behind FF FE, UTF-16):
 * the section names and each section's lines in buffers of every size the
 * first byte picks, then one string written back.  Lists must stay inside
 * their buffers and end in two zeros; a cut list reports nSize - 2.
 */
#include <cstdlib>
#include <string>
#include <vector>

#include "ScratchFile.h"

namespace {

// The list's length as reported, checked against the buffer's contents:
// whole, it ends in two zeros; cut, its last entry ends at nSize - 2.
DWORD checkedList(const std::vector<WCHAR>& buffer, DWORD capacity, DWORD reported) {
  if (buffer[capacity] != 0x5A5A) abort();  // written past the buffer
  if (capacity == 0) {
    if (reported != 0) abort();
    return 0;
  }
  if (reported >= capacity || buffer[reported] != 0) abort();
  const bool cut = reported > 0 && buffer[reported - 1] != 0;
  if (cut && (reported != capacity - 2 || buffer[capacity - 1] != 0)) abort();
  return reported;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const DWORD capacity = data[0] & 0x7F;
  const auto path = scratchFile("input.ini", data + 1, size - 1);
  if (path.empty()) return 0;
  std::vector<WCHAR> names(capacity + 1, 0x5A5A);
  const DWORD length =
      checkedList(names, capacity, GetPrivateProfileSectionNamesW(names.data(), capacity, path.c_str()));
  std::vector<WCHAR> lines(capacity + 1);
  for (DWORD at = 0; at < length && names[at];) {
    const std::basic_string<WCHAR> section(names.data() + at);
    lines.assign(capacity + 1, 0x5A5A);
    checkedList(lines, capacity,
                GetPrivateProfileSectionW(section.c_str(), lines.data(), capacity, path.c_str()));
    at += DWORD(section.size()) + 1;
  }
  const WCHAR section[] = {'S', 0}, key[] = {'k', 0}, value[] = {'v', 0};
  WritePrivateProfileStringW(section, key, value, path.c_str());
  return 0;
}
