/* The event log's destination, which tests may take over. */
#ifndef QEL_POSIX_EVENT_LOG_H
#define QEL_POSIX_EVENT_LOG_H

#include <qel/win32.h>

#include <functional>
#include <string>
#include <vector>

namespace qel::posix {

// Receives every reported event instead of syslog; false makes the report
// fail.  An empty function restores syslog.
using EventSink =
    std::function<bool(const std::u16string& source, WORD type, const std::vector<std::u16string>&)>;
void setEventSink(EventSink sink);

}  // namespace qel::posix

#endif
