/* This module's own instance handle, stored when the process attaches it. */
#ifndef QELBASE_MODULE_H
#define QELBASE_MODULE_H

#include <qel/win32.h>

namespace qel {

HINSTANCE moduleInstance();

}  // namespace qel

#endif
