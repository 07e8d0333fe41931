/* Wide and single-byte text through the ANSI code page. */
#include "strings/CodePageText.h"

#include <cstring>

#include "frame/Heap.h"

namespace qel {

WideText::WideText(const WCHAR* text) {
  std::size_t n = 0;
  if (text)
    while (text[n]) ++n;
  assign(text, n);
}

WideText::WideText(const WCHAR* text, std::size_t count) { assign(text, text ? count : 0); }

WideText::WideText(const char* ansi) {
  const std::size_t n = ansi ? std::strlen(ansi) : 0;
  if (!n || n >= 0x7FFFFFFF || !allocate(n)) return;
  int written = MultiByteToWideChar(CP_ACP, 0, ansi, -1, buffer_, int(n + 1));
  length_ = written > 0 ? std::size_t(written - 1) : 0;
  buffer_[length_] = 0;
}

WideText::~WideText() { heapFree(buffer_); }

bool WideText::allocate(std::size_t characters) {
  if (characters >= std::size_t(-1) / sizeof(WCHAR) - 1) return complete_ = false;
  buffer_ = static_cast<WCHAR*>(heapAlloc((characters + 1) * sizeof(WCHAR)));
  if (!buffer_) return complete_ = false;
  buffer_[0] = 0;
  return true;
}

void WideText::assign(const WCHAR* text, std::size_t count) {
  if (!count || !allocate(count)) return;
  std::memcpy(buffer_, text, count * sizeof(WCHAR));
  buffer_[count] = 0;
  length_ = count;
}

NarrowText::NarrowText(const WideText& wide) {
  if (!wide.length()) return;
  // Ask for the size first: a code page may need several bytes per character.
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.text(), -1, nullptr, 0, nullptr, nullptr);
  char* block = bytes > 1 ? allocate(std::size_t(bytes - 1)) : nullptr;
  if (!block) return;
  const int written = WideCharToMultiByte(CP_ACP, 0, wide.text(), -1, block, bytes, nullptr, nullptr);
  adopt(block, written > 0 ? std::size_t(written - 1) : 0);
}

NarrowText::NarrowText(const NarrowText& other) { *this = other; }

NarrowText& NarrowText::operator=(const NarrowText& other) {
  if (this == &other) return *this;
  char* block = other.length_ ? allocate(other.length_) : nullptr;
  if (block) std::memcpy(block, other.text(), other.length_);
  adopt(block, block ? other.length_ : 0);
  return *this;
}

NarrowText::~NarrowText() { heapFree(buffer_); }

char* NarrowText::allocate(std::size_t bytes) {
  char* block = bytes < std::size_t(-1) ? static_cast<char*>(heapAlloc(bytes + 1)) : nullptr;
  if (!block) complete_ = false;
  return block;
}

void NarrowText::adopt(char* block, std::size_t length) {
  heapFree(buffer_);
  buffer_ = block;
  length_ = block ? length : 0;
  if (block) block[length_] = 0;
}

}  // namespace qel
