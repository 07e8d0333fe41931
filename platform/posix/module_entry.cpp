/*
 * The loader's side of the module entry point: when the shared object (or
 * the program the static library is linked into) is loaded, register its
 * message table under its module handle and call DllMain, as the Windows
 * loader does for a DLL.
 */
#include <dlfcn.h>

#include "module_resources.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

HMODULE thisModule() {
  Dl_info info{};
  dladdr(reinterpret_cast<void*>(&thisModule), &info);
  return static_cast<HMODULE>(info.dli_fbase);
}

}  // namespace

// Global, so that a static link can be told to keep this object
// (--undefined=qelbase_attach_module): nothing else refers to it.
extern "C" __attribute__((constructor)) void qelbase_attach_module() {
  HMODULE self = thisModule();
  QELRegisterMessageTable(self, qel::posix::kModuleMessageTable, qel::posix::kModuleMessageCount);
  DllMain(self, DLL_PROCESS_ATTACH, nullptr);
}

extern "C" __attribute__((destructor)) void qelbase_detach_module() {
  DllMain(thisModule(), DLL_PROCESS_DETACH, nullptr);
}
