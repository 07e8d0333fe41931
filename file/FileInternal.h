/* What the buffered file's operations share: validation, errors, refill. */
#ifndef QELBASE_FILE_INTERNAL_H
#define QELBASE_FILE_INTERNAL_H

#include "file/QELFile.h"

namespace qel::file {

// The last platform error as a result code; 0 when the platform gave none.
DWORD platformError();
// The checks every read and write makes, in their order: the magic, the
// count (countGiven false: 0x80070057), an open file.
DWORD validate(const QELFileObject* file, bool countGiven);
// Makes at least `need` bytes available at nPos; 0x80070026 at the end.
DWORD refill(QELFileObject* file, DWORD need);

}  // namespace qel::file

#endif
