/*
 * A dynamic array with room of its own behind the array's record, for the
 * library's own bookkeeping about the array.  The record stays what DA
 * users see, and DADestroy frees it with its room.
 */
#ifndef QELBASE_DYNARRAY_TAIL_H
#define QELBASE_DYNARRAY_TAIL_H

#include <cstddef>

#include "containers/DynArray.h"

namespace qel {

constexpr size_t kDATailOffset = (sizeof(DARecord) + alignof(std::max_align_t) - 1) /
                                 alignof(std::max_align_t) * alignof(std::max_align_t);

// As DACreate, with `tailBytes` zeroed bytes behind the record.
DA daCreateWithTail(LONG nElemSize, LONG nInitialCapacity, size_t tailBytes);

// The room of an array made by daCreateWithTail.
inline void* daTail(DA da) { return reinterpret_cast<char*>(da) + kDATailOffset; }

}  // namespace qel

#endif
