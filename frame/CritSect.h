/* QELCritSect: a re-entrant lock for the library's hosts. */
#ifndef QELBASE_CRITSECT_H
#define QELBASE_CRITSECT_H

#include "frame/QELBaseDefs.h"

#ifdef __cplusplus

class QEL_IMPORT QELCritSect {
 public:
  QELCritSect();
  ~QELCritSect();
  void Lock();
  void UnLock();
  // A live lock cannot be copied: the target keeps a lock of its own.
  QELCritSect& operator=(const QELCritSect& other);

  CRITICAL_SECTION m_CritSect;
};

#endif

#endif
