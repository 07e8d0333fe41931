/*
 * The resources of the modules in the process, as the POSIX layer keeps
 * them: each module registers its message table when it is attached.
 */
#ifndef QEL_POSIX_MODULE_RESOURCES_H
#define QEL_POSIX_MODULE_RESOURCES_H

#include <qel/win32.h>

#include <cstddef>

namespace qel::posix {

using MessageEntry = QEL_MESSAGE_RESOURCE_ENTRY;

struct MessageTable {
  const MessageEntry* entries;
  size_t count;
};

// The table compiled into this module from resources/.
extern const MessageEntry kModuleMessageTable[];
extern const size_t kModuleMessageCount;

// The registered table of a module (null: the main program); null if none.
const MessageTable* findModuleMessages(HMODULE module);

}  // namespace qel::posix

#endif
