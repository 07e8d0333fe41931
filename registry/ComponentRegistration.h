/** @file
 * Registering and unregistering component files through the system's
 * registration tool, one process per file.
 */
#ifndef QELBASE_COMPONENT_REGISTRATION_H
#define QELBASE_COMPONENT_REGISTRATION_H

#include "frame/QELBaseDefs.h"
#include "registry/RegistryScripts.h" /* QELFileNameList */

#ifdef __cplusplus
/** What to register: the component files and regsvr32's switches. */
struct OcxRegisterParams {
  BOOL bUnregister;      /**< " /u" */
  BOOL bSilent;          /**< " /s" */
  QELFileNameList files; /**< put on the command line as they are, unquoted */
};
#else
/** The record holds a C++ vector: C code can only pass one along. */
typedef struct OcxRegisterParams OcxRegisterParams;
#endif

QEL_BEGIN_DECLS

/** Starts "REGSVR32.EXE [/u] [/s] file" for each file in order without
   waiting for it; stops at the first process that cannot be started.
   0, or 0x8007xxxx with the platform error. */
DWORD QEL_CDECL QEL_OCXRegister(const OcxRegisterParams* pParams);

QEL_END_DECLS

#endif
