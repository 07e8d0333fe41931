/** @file
 * QELBase: the whole interface of the library. */
#ifndef QELBASE_H
#define QELBASE_H

#include "containers/BalancedTree.h"
#include "containers/DoublyLinkedList.h"
#include "containers/DynArray.h"
#include "containers/LinkedList.h"
#include "containers/MemoryPool.h"
#include "datetime/DateTime.h"
#include "expr/Expression.h"
#include "file/QELFile.h"
#include "format/FormatScanner.h"
#include "format/NumberFormat.h"
#include "frame/CritSect.h"
#include "frame/DataObjects.h"
#include "frame/Message.h"
#include "frame/QELBaseDefs.h"
#include "frame/ResultCodes.h"
#include "frame/Version.h"
#include "registry/ComponentRegistration.h"
#include "registry/PrinterPorts.h"
#include "registry/RegistryHelpers.h"
#include "registry/RegistryScripts.h"
#include "scanner/Symbol.h"
#include "strings/StringObject.h"
#include "trace/Trace.h"

#endif
