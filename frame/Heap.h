/*
 * The runtime heap as the library uses it.  Every allocation that crosses
 * the interface comes from malloc/calloc/realloc, so hosts may free it; a
 * hook lets tests make the n-th request fail.
 */
#ifndef QELBASE_HEAP_H
#define QELBASE_HEAP_H

#include <cstddef>

namespace qel {

void* heapAlloc(std::size_t bytes);
void* heapCalloc(std::size_t count, std::size_t size);
void* heapRealloc(void* block, std::size_t bytes);
void heapFree(void* block);

// Test hook: the n-th allocation request from now on fails (1 = the next
// one), and only that one; 0 switches failure off.
void heapFailAt(long n);
// Requests made since the hook was last armed (counted only while armed).
long heapRequestsSinceArmed();

}  // namespace qel

#endif
