/* This program's operator new draws on the library's heap, so that the
   sweep makes the standard containers inside the library fail as well. */
#include <cstdlib>
#include <new>

#include "frame/Heap.h"

void* operator new(std::size_t bytes) {
  if (void* block = qel::heapAlloc(bytes ? bytes : 1)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t bytes) { return operator new(bytes); }
void operator delete(void* block) noexcept { qel::heapFree(block); }
void operator delete[](void* block) noexcept { qel::heapFree(block); }
void operator delete(void* block, std::size_t) noexcept { qel::heapFree(block); }
void operator delete[](void* block, std::size_t) noexcept { qel::heapFree(block); }
