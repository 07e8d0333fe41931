/* A component for the registration tests: registering it creates
   HKEY_CURRENT_USER\Software\QELBaseTest\Component, unregistering removes
   the key again and fails when it is not there. */
#include "QELBase.h"

#ifdef _WIN32
#define COMPONENT_EXPORT extern "C" /* exported by the module-definition file, undecorated */
#else
#define COMPONENT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
const WCHAR kKey[] = QEL_W("Software\\QELBaseTest\\Component");
HRESULT resultOf(LONG error) { return error ? HRESULT(QEL_HRESULT_FROM_ERROR(error)) : 0; }
}  // namespace

COMPONENT_EXPORT HRESULT WINAPI DllRegisterServer() {
  HKEY key = nullptr;
  LONG e = CreateRegKey(HKEY_CURRENT_USER, kKey, KEY_ALL_ACCESS, &key);
  if (!e) CloseRegKey(key);
  return resultOf(e);
}

COMPONENT_EXPORT HRESULT WINAPI DllUnregisterServer() {
  return resultOf(DeleteRegKey(HKEY_CURRENT_USER, kKey));
}
