/** @file
 * The ports of the local print spooler, walked one record at a time.  The
 * list is one per process and has no lock: one thread at a time.
 */
#ifndef QELBASE_PRINTER_PORTS_H
#define QELBASE_PRINTER_PORTS_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** Reads the list (replacing and releasing an earlier one); 1 when it was
   read, 0 otherwise. */
DWORD QEL_STDCALL GetLocalPorts(void);
/** Steps over one record: 1 while records remain (the last of them
   releases the list), then 0.  The argument is not used. */
DWORD QEL_STDCALL GetNextPortInfo(DWORD dwReserved);

QEL_END_DECLS

#endif
