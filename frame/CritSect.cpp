/* QELCritSect over the platform critical section. */
#include "frame/CritSect.h"

QELCritSect::QELCritSect() { InitializeCriticalSection(&m_CritSect); }

QELCritSect::~QELCritSect() { DeleteCriticalSection(&m_CritSect); }

void QELCritSect::Lock() { EnterCriticalSection(&m_CritSect); }

void QELCritSect::UnLock() { LeaveCriticalSection(&m_CritSect); }

QELCritSect& QELCritSect::operator=(const QELCritSect&) { return *this; }
