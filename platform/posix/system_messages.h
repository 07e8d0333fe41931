/* The system's message texts that the POSIX layer carries. */
#ifndef QEL_POSIX_SYSTEM_MESSAGES_H
#define QEL_POSIX_SYSTEM_MESSAGES_H

#include <qel/win32.h>

namespace qel::posix {

// The text of a system error or HRESULT in English (1033) or German (1031),
// without its closing CR LF; null when the table lacks the code.
const char16_t* systemMessage(DWORD id, LANGID language);

}  // namespace qel::posix

#endif
