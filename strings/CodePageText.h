/*
 * Wide (UTF-16) and single-byte text converted through the ANSI code page,
 * for the buffered file's two text forms.  Growth is exact; a failed
 * memory request leaves the text empty and marks it incomplete.
 */
#ifndef QELBASE_CODE_PAGE_TEXT_H
#define QELBASE_CODE_PAGE_TEXT_H

#include <cstddef>

#include "frame/QELBaseDefs.h"

namespace qel {

class WideText {
 public:
  WideText() = default;
  explicit WideText(const WCHAR* text);
  WideText(const WCHAR* text, std::size_t count);
  explicit WideText(const char* ansi);  // from the ANSI code page
  WideText(const WideText&) = delete;
  WideText& operator=(const WideText&) = delete;
  virtual ~WideText();

  const WCHAR* text() const { return buffer_ ? buffer_ : QEL_W(""); }
  std::size_t length() const { return length_; }
  bool complete() const { return complete_; }

 private:
  bool allocate(std::size_t characters);  // exactly characters + 1
  void assign(const WCHAR* text, std::size_t count);

  WCHAR* buffer_ = nullptr;
  std::size_t length_ = 0;
  bool complete_ = true;
};

class NarrowText {
 public:
  NarrowText() = default;
  explicit NarrowText(const WideText& wide);  // to the ANSI code page
  NarrowText(const NarrowText& other);
  NarrowText& operator=(const NarrowText& other);
  virtual ~NarrowText();

  const char* text() const { return buffer_ ? buffer_ : ""; }
  std::size_t length() const { return length_; }
  bool complete() const { return complete_; }

 private:
  // A new block of exactly bytes + 1, empty; the old one is freed only
  // afterwards, so a source inside it stays readable.
  char* allocate(std::size_t bytes);
  void adopt(char* block, std::size_t length);

  char* buffer_ = nullptr;
  std::size_t length_ = 0;
  bool complete_ = true;
};

}  // namespace qel

#endif
