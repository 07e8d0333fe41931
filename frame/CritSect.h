/** @file
 * QELCritSect: a re-entrant lock for the library's hosts. */
#ifndef QELBASE_CRITSECT_H
#define QELBASE_CRITSECT_H

#include "frame/QELBaseDefs.h"

#ifdef __cplusplus

/** A re-entrant lock: the thread that holds it may Lock again and must
    UnLock as often; another thread's Lock waits until it is free. */
class QEL_IMPORT QELCritSect {
 public:
  /** Initialises the platform critical section. */
  QELCritSect();
  /** Deletes it; the lock must not be held. */
  ~QELCritSect();
  /** Enters the lock, waiting while another thread holds it. */
  void Lock();
  /** Leaves the lock once. */
  void UnLock();
  /** A live lock cannot be copied: the target keeps a lock of its own. */
  QELCritSect& operator=(const QELCritSect& other);

  CRITICAL_SECTION m_CritSect; /**< the platform critical section */
};

#endif

#endif
