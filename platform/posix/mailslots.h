/* Mailslots on Unix datagram sockets: the client side that CreateFileW opens. */
#ifndef QEL_POSIX_MAILSLOTS_H
#define QEL_POSIX_MAILSLOTS_H

#include <qel/win32.h>

namespace qel::posix {

// \\.\mailslot\NAME, \\*\mailslot\NAME or \\SERVER\mailslot\NAME.
bool isMailslotPath(LPCWSTR path);
HANDLE openMailslotClient(LPCWSTR path);

}  // namespace qel::posix

#endif
