/*
 * QEL_RegImport on arbitrary file content (ANSI or, behind FF FE, UTF-16),
 * through the INI reader, into a scratch store; the result must be one of
 * the import's codes.
 */
#include <cstdlib>

#include "ScratchFile.h"
#include "registry/RegistryScripts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QELFileNameList files{scratchFile("input.reg", data, size)};
  if (files[0].empty()) return 0;
  const DWORD result = QEL_RegImport(&files);
  if (result != 0 && (result & 0xFFFF0000u) != 0x80070000u) abort();
  return 0;
}
