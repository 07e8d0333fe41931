/* Upper case of a UTF-16 code unit regardless of any locale: the letters of
   the Latin, Greek and Cyrillic blocks, as names are compared on Windows. */
#ifndef QEL_POSIX_WIDE_CASE_H
#define QEL_POSIX_WIDE_CASE_H

namespace qel::posix {

char16_t upperLetter(char16_t c);

}  // namespace qel::posix

#endif
