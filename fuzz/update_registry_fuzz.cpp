/*
 * UpdateRegistryWithFile on arbitrary file content, into a scratch store;
 * the result must be a Windows error code and no line may crash the reader.
 */
#include <cstdlib>

#include "ScratchFile.h"
#include "registry/RegistryScripts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto path = scratchFile("update.reg", data, size);
  if (path.empty()) return 0;
  const LONG result = UpdateRegistryWithFile(path.c_str());
  if (result < 0 || result > 0xFFFF) abort();
  return 0;
}
