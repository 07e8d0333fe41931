/*
 * Appending in place: the library's own callers that know their element's
 * type fill the new slot themselves, which copies a small record with a
 * few moves instead of a call to memmove with a run-time size.
 */
#ifndef QELBASE_DYNARRAY_SLOT_H
#define QELBASE_DYNARRAY_SLOT_H

#include "containers/DynArray.h"

namespace qel {

// Counts one more element and gives its slot, grown as DAAddElem grows the
// array; null (array unchanged) when it cannot grow.  The slot's bytes are
// unset until the caller writes them.
void* daAppendSlot(DA da);

}  // namespace qel

#endif
