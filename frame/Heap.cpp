/* Heap requests with the test hook for allocation failure. */
#include "frame/Heap.h"

#include <atomic>
#include <cstdlib>

namespace qel {
namespace {
std::atomic<long> requests{0};
std::atomic<long> failAt{0};  // request number that fails; 0: none

bool nextRequestFails() {
  long n = ++requests;
  long target = failAt.load(std::memory_order_relaxed);
  return target != 0 && n == target;
}
}  // namespace

void* heapAlloc(std::size_t bytes) { return nextRequestFails() ? nullptr : std::malloc(bytes); }

void* heapCalloc(std::size_t count, std::size_t size) {
  return nextRequestFails() ? nullptr : std::calloc(count, size);
}

void* heapRealloc(void* block, std::size_t bytes) {
  return nextRequestFails() ? nullptr : std::realloc(block, bytes);
}

void heapFree(void* block) { std::free(block); }

void heapFailAt(long n) { failAt = n == 0 ? 0 : requests.load() + n; }

long heapRequestCount() { return requests.load(); }

}  // namespace qel
