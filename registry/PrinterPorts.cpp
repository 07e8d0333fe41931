/* The process-wide list of the local spooler's ports. */
#include "registry/PrinterPorts.h"

#include "frame/Heap.h"

namespace {

struct PortList {
  BYTE* buffer = nullptr;
  DWORD remaining = 0;
  const PORT_INFO_1W* cursor = nullptr;
};

PortList ports;

void release() {
  qel::heapFree(ports.buffer);
  ports = PortList{};
}

}  // namespace

extern "C" DWORD QEL_STDCALL GetLocalPorts(void) {
  release();
  DWORD needed = 0, count = 0;
  if (!EnumPortsW(nullptr, 1, nullptr, 0, &needed, &count) && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return 0;
  // One byte at least, so that an empty list still has its buffer.
  ports.buffer = static_cast<BYTE*>(qel::heapAlloc(needed ? needed : 1));
  if (!ports.buffer || !EnumPortsW(nullptr, 1, ports.buffer, needed, &needed, &ports.remaining)) {
    release();
    return 0;
  }
  ports.cursor = reinterpret_cast<const PORT_INFO_1W*>(ports.buffer);
  return 1;
}

extern "C" DWORD QEL_STDCALL GetNextPortInfo(DWORD) {
  if (!ports.remaining) return 0;
  if (--ports.remaining == 0) {
    release();
    return 1;
  }
  ++ports.cursor;
  return 1;
}
