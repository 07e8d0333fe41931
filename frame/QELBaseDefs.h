/** @file
 * What every QELBase header shares: the platform types, the calling
 * conventions of the export table and the C linkage of the interface.
 */
#ifndef QELBASE_DEFS_H
#define QELBASE_DEFS_H

#include <qel/win32.h>

/** @{ */
/** The caller-cleans and the callee-cleans conventions of 32-bit Windows;
   elsewhere there is only one convention. */
#if defined(_WIN32) && !defined(_WIN64)
#define QEL_CDECL __cdecl
#define QEL_STDCALL __stdcall
#else
#define QEL_CDECL
#define QEL_STDCALL
#endif
/** @} */

/** @{ */
/** Around every header's declarations: C linkage for C++ hosts. */
#ifdef __cplusplus
#define QEL_BEGIN_DECLS extern "C" {
#define QEL_END_DECLS }
#else
#define QEL_BEGIN_DECLS
#define QEL_END_DECLS
#endif
/** @} */

/** Data objects and the exported class, as a host sees them through the DLL. */
#if defined(_WIN32) && !defined(QELBASE_BUILDING) && !defined(QELBASE_STATIC)
#define QEL_IMPORT __declspec(dllimport)
#else
#define QEL_IMPORT
#endif

#endif
