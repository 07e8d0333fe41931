/** @file
 * Trace: records of a level (0..5, shown as ?DIWEA) and, in the F forms,
 * a facility (0..255) to up to four channels: a daily file, the debugger
 * output, the event log and a mailslot.  A trace object is set up once
 * from registry values under HKEY_LOCAL_MACHINE by TraceInit.
 */
#ifndef QELBASE_TRACE_H
#define QELBASE_TRACE_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** A trace object: the settings TraceInit read and the file channel's
   state.  The host declares it (cleared) and may read the fields. */
typedef struct TraceObject {
  WCHAR szFileName[255];     /**< the current file: base name + YYYYMMDD + ".log" */
  WCHAR szLastFileName[255]; /**< the name the file was last opened under */
  WCHAR szBaseName[256];     /**< TRACEPATH + trace name */
  DWORD dwLevelMask;         /**< TRACELEVEL: level n is bit (n - 1) mod 32 */
  DWORD adwFacility[256];    /**< nonzero: the facility is traced */
  BOOL bFile;                /**< TRACEFILE */
  BOOL bDebug;               /**< TRACEDEBUG */
  BOOL bEventLog;            /**< TRACEEVENTLOG */
  BOOL bMailslot;            /**< TRACEMAILSLOT */
  BOOL bWinNT;               /**< nonzero on an NT platform (always, here) */
  WCHAR szTracePath[100];    /**< TRACEPATH, used as it is (ends in a separator) */
  WCHAR szMailslot[100];     /**< "\\\\*\\mailslot\\" + MAILSLOT */
  WCHAR szEventSource[30];   /**< EVENTSOURCE */
  WORD awEventType[6];       /**< event type of levels 0..5 */
  LONG nDays;                /**< TRACEDAYS: files kept; 0 or less keeps all */
  LONG nSizeKB;              /**< TRACESIZE: file limit in KiB; 0 or less: none */
  CRITICAL_SECTION csLock;   /**< around each record and the file roll */
} TraceObject;

/** The process's default object, zero until its first TraceInit, which is
   the only one that takes effect on it. */
extern QEL_IMPORT TraceObject TraceObj;
/** The address of TraceObj. */
extern QEL_IMPORT TraceObject* pTraceObj;
/** Nonzero once TraceObj was initialised. */
extern QEL_IMPORT LONG bTraceObjInitialized;

/** Reads the settings under HKEY_LOCAL_MACHINE, key pszKeyPath (TRACEFILE,
   TRACEDEBUG, TRACEEVENTLOG, TRACEMAILSLOT, TRACELEVEL, TRACEPATH, TRACEDAYS,
   TRACESIZE, MAILSLOT, EVENTSOURCE, DISABLED_FACILITIES, DEFAULT_TRACEFILE),
   writes the start records and opens the day's file.  pszName is the
   trace name (null or empty: the DEFAULT_TRACEFILE value).  With
   bAppendPid the name gets ".%04d" and the process id, so each process
   keeps files of its own (and cleans up only those). */
void QEL_CDECL TraceInit(TraceObject* pTrace, LPCWSTR pszKeyPath, LPCWSTR pszName, LONG bAppendPid);
/** Nonzero when records of nLevel pass the level mask (and some channel is on). */
LONG QEL_CDECL TraceLevelEnabled(TraceObject* pTrace, ULONG nLevel);
/** As TraceLevelEnabled, and the facility is not disabled. */
LONG QEL_CDECL TraceFacilityEnabled(TraceObject* pTrace, ULONG nLevel, ULONG nFacility);
/** The previous switch; facilities of 256 and above: 0, nothing changes. */
LONG QEL_CDECL EnableTrace(TraceObject* pTrace, ULONG nFacility, LONG bEnable);

/** One record, no gates: prefix, pszText, and " " + pszExtra when given.
   Records are cut at 2,047 characters. */
void QEL_CDECL Trace(TraceObject* pTrace, ULONG nLevel, LPCWSTR pszText, LPCWSTR pszExtra);
/** Wide printf formats (%s a wide string, %c a wide character). */
void QEL_CDECL TraceVA(TraceObject* pTrace, ULONG nLevel, LPCWSTR pszFormat, ...);
/** TraceVA for a facility: nothing when TraceFacilityEnabled says no. */
void QEL_CDECL TraceVAF(TraceObject* pTrace, ULONG nLevel, ULONG nFacility, LPCWSTR pszFormat, ...);
/** Dumps to the file, the debugger and (as one event) the event log: a
   header, then lines of 60 characters (TraceAscii) or rows of 32 bytes
   (TraceHex); the F forms only when the facility is enabled. */
/** @{ */
void QEL_CDECL TraceAscii(TraceObject* pTrace, ULONG nLevel, LPCWSTR pszTitle, const WCHAR* pData,
                          LONG nCount);
void QEL_CDECL TraceAsciiF(TraceObject* pTrace, ULONG nLevel, ULONG nFacility, LPCWSTR pszTitle,
                           const WCHAR* pData, LONG nCount);
void QEL_CDECL TraceHex(TraceObject* pTrace, ULONG nLevel, LPCWSTR pszTitle, const BYTE* pData, LONG nCount);
void QEL_CDECL TraceHexF(TraceObject* pTrace, ULONG nLevel, ULONG nFacility, LPCWSTR pszTitle,
                         const BYTE* pData, LONG nCount);
/** @} */

QEL_END_DECLS

#endif
