/* Which module in the process carries which message table. */
#include <link.h>

#include <array>
#include <mutex>

#include "module_resources.h"

namespace qel::posix {
namespace {

struct Registered {
  HMODULE module;
  MessageTable table;
};

std::mutex registryLock;
std::array<Registered, 16> registry{};
size_t registeredCount = 0;

// The base of the main program's mapping, as dladdr reports a module base.
HMODULE mainProgram() {
  uintptr_t base = 0;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* out) {
        for (int i = 0; i < info->dlpi_phnum; ++i)
          if (info->dlpi_phdr[i].p_type == PT_LOAD) {
            *static_cast<uintptr_t*>(out) = info->dlpi_addr + info->dlpi_phdr[i].p_vaddr;
            break;
          }
        return 1;  // the first object listed is the main program
      },
      &base);
  return reinterpret_cast<HMODULE>(base);
}

}  // namespace

const MessageTable* findModuleMessages(HMODULE module) {
  if (!module) module = mainProgram();
  std::lock_guard<std::mutex> hold(registryLock);
  for (size_t i = 0; i < registeredCount; ++i)
    if (registry[i].module == module) return &registry[i].table;
  return nullptr;
}

}  // namespace qel::posix

extern "C" void WINAPI QELRegisterMessageTable(HMODULE hModule, const QEL_MESSAGE_RESOURCE_ENTRY* pEntries,
                                               size_t nCount) {
  using namespace qel::posix;
  std::lock_guard<std::mutex> hold(registryLock);
  if (registeredCount < registry.size()) registry[registeredCount++] = {hModule, {pEntries, nCount}};
}
