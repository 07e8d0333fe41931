/* Heap requests with the test hook for allocation failure.  Unarmed, the
   hook costs one relaxed load of a flag that never changes. */
#include "frame/Heap.h"

#include <atomic>
#include <cstdlib>

namespace qel {
namespace {
std::atomic<bool> armed{false};
std::atomic<long> remaining{0};  // requests until the one that fails
std::atomic<long> armedWith{0};

bool nextRequestFails() {
  if (!armed.load(std::memory_order_relaxed)) [[likely]]
    return false;
  return remaining.fetch_sub(1, std::memory_order_relaxed) == 1;
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

void heapFailAt(long n) {
  armedWith.store(n, std::memory_order_relaxed);
  remaining.store(n, std::memory_order_relaxed);
  armed.store(n != 0, std::memory_order_relaxed);
}

long heapRequestsSinceArmed() {
  return armedWith.load(std::memory_order_relaxed) - remaining.load(std::memory_order_relaxed);
}

}  // namespace qel
