/*
 * Arbitrary pictures and values through the picture formatter and the text
 * formatter, and the picture text through the readers.  Bytes 0-7 are the
 * value's bits, byte 8 chooses the character set (default, LL, or the next
 * eight characters as a set of their own); the rest is the picture.
 */
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "format/NumberFormat.h"

namespace {

constexpr WCHAR kCanary = 0xFFFE;

// Nothing may be written beyond the room the interface promises.
void checkRoom(const std::vector<WCHAR>& out, size_t room, LONG written) {
  if (written < 0 || size_t(written) > room) abort();
  for (size_t i = room; i < out.size(); ++i)
    if (out[i] != kCanary) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  double value;
  std::memcpy(&value, data, sizeof value);
  std::vector<WCHAR> text;
  for (size_t i = 9; i + 1 < size; i += 2) text.push_back(WCHAR(data[i] | (data[i + 1] << 8)));

  const WCHAR* set = nullptr;
  size_t skip = 0;
  switch (data[8] % 3) {
    case 1: set = LLDblFormat; break;
    case 2:
      if (text.size() < 8) return 0;
      set = text.data();
      skip = 8;
      break;
  }
  const WCHAR* picture = text.data() + skip;
  const LONG length = LONG(text.size() - skip);

  std::vector<WCHAR> out(size_t(length) + 16, kCanary);
  BOOL flag = 2;
  checkRoom(out, size_t(length), FMFormatDouble(set, picture, length, value, out.data(), &flag));
  if (flag != 0 && flag != 1) abort();

  // The picture's own text, terminated, is also a value for the readers.
  std::vector<WCHAR> valueText(picture, picture + length);
  valueText.push_back(0);
  FMToDouble(valueText.data());
  FMToLong(valueText.data());
  FMToULong(valueText.data());
  const size_t valueLength = std::char_traits<WCHAR>::length(valueText.data());
  std::vector<WCHAR> textOut(size_t(length) + valueLength + 16, kCanary);
  const size_t room = (length > 0 && picture[0] == '^' ? valueLength : size_t(length > 0 ? length : 0)) + 1;
  LONG n = FMFormatStr(picture, length, valueText.data(), textOut.data());
  checkRoom(textOut, room, n);
  if (textOut[size_t(n)] != 0) abort();
  return 0;
}
