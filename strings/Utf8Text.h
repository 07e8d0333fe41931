/* UTF-16 text to UTF-8 and back, through the platform's code-page
   conversion: for the library's own listings and the qel tool. */
#ifndef QELBASE_UTF8_TEXT_H
#define QELBASE_UTF8_TEXT_H

#include <qel/win32.h>

#include <string>
#include <string_view>

namespace qel {

std::string toUtf8(std::basic_string_view<WCHAR> text);
std::basic_string<WCHAR> fromUtf8(std::string_view text);

}  // namespace qel

#endif
