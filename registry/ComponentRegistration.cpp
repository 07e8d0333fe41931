/* Component registration through the system's registration tool. */
#include "registry/ComponentRegistration.h"

#include "frame/Boundary.h"
#include "frame/ResultCodes.h"
#include "registry/ScriptInternal.h"

namespace qel::registry {
namespace {

Text commandOf(const OcxRegisterParams& params) {
  Text command = QEL_W("REGSVR32.EXE");
  if (params.bUnregister) command += QEL_W(" /u");
  if (params.bSilent) command += QEL_W(" /s");
  return command;
}

// Starts one registration; the process runs on by itself.
DWORD start(Text commandLine) {
  WCHAR desktop[] = QEL_W("WinSta0\\Default");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return QEL_HRESULT_FROM_ERROR(GetLastError());
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

}  // namespace
}  // namespace qel::registry

extern "C" DWORD QEL_CDECL QEL_OCXRegister(const OcxRegisterParams* pParams) {
  using namespace qel::registry;
  if (!pParams) return QEL_E_INVALIDARG;
  return qel::guarded(QEL_E_OUTOFMEMORY, [&]() -> DWORD {
    const Text command = commandOf(*pParams);
    for (const Text& file : pParams->files)
      if (DWORD result = start(command + WCHAR(' ') + file)) return result;
    return 0;
  });
}
