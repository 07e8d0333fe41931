/* The module entry point: remembers the module handle, nothing more. */
#include <atomic>

#include "frame/Module.h"

namespace qel {
namespace {
std::atomic<HINSTANCE> instance{nullptr};
}

HINSTANCE moduleInstance() { return instance.load(); }

}  // namespace qel

extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID /*lpvReserved*/) {
  if (fdwReason == DLL_PROCESS_ATTACH) qel::instance.store(hinstDLL);
  return TRUE;
}
