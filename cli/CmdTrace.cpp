/* qel trace: the server side of the mailslot channel, and one record written
   with the settings of a registry key. */
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Console.h"
#include "RegistryText.h"
#include "trace/Trace.h"
#include "trace/TraceInternal.h"

namespace qel::cli {
namespace {

constexpr std::string_view kUsage =
    "qel trace listen NAME [--count N] | qel trace write KEYPATH LEVEL TEXT [--name NAME] [--facility F]";

volatile std::sig_atomic_t stopRequested = 0;
void requestStop(int) { stopRequested = 1; }

int listen(std::string_view name, DWORD count) {
  const std::basic_string<WCHAR> path = QEL_W("\\\\.\\mailslot\\") + fromUtf8(name);
  HANDLE slot = CreateMailslotW(path.c_str(), 0, 250, nullptr);  // wakes to check for a stop
  if (slot == INVALID_HANDLE_VALUE) {
    std::cerr << "qel: cannot create the mailslot " << name << ": " << messageText(GetLastError()) << "\n";
    return 1;
  }
  std::signal(SIGINT, requestStop);
  std::signal(SIGTERM, requestStop);
  std::vector<WCHAR> buffer(32768);
  int status = 0;
  for (DWORD received = 0; !stopRequested && (count == 0 || received < count);) {
    DWORD size = 0;
    if (!ReadFile(slot, buffer.data(), DWORD(buffer.size() * sizeof(WCHAR)), &size, nullptr)) {
      if (GetLastError() == ERROR_SEM_TIMEOUT) continue;
      std::cerr << "qel: " << messageText(GetLastError()) << "\n";
      status = 1;
      break;
    }
    size_t length = size / sizeof(WCHAR);
    if (length > 0 && buffer[length - 1] == 0) --length;  // each record carries its terminator
    std::cout << toUtf8({buffer.data(), length}) << std::endl;
    ++received;
  }
  CloseHandle(slot);
  return status;
}

int write(Args args) {
  // The key is below HKEY_LOCAL_MACHINE; naming that root is allowed.
  std::basic_string<WCHAR> keyPath = fromUtf8(args[0]);
  if (auto path = parseKeyPath(args[0])) {
    if (path->root != HKEY_LOCAL_MACHINE)
      return usageError("the settings are below HKEY_LOCAL_MACHINE", kUsage);
    keyPath = path->subKey;
  }
  DWORD level = 0, facility = 0;
  bool filtered = false;
  std::basic_string<WCHAR> name;
  if (!parseCode(args[1], level)) return usageError("LEVEL must be a number", kUsage);
  for (size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--name" && i + 1 < args.size()) {
      name = fromUtf8(args[++i]);
    } else if (args[i] == "--facility" && i + 1 < args.size() && parseCode(args[++i], facility)) {
      filtered = true;
    } else {
      return usageError("unexpected argument '" + std::string(args[i]) + "'", kUsage);
    }
  }
  static TraceObject trace;  // lives until the process ends, as trace objects do
  TraceInit(&trace, keyPath.c_str(), name.empty() ? nullptr : name.c_str(), 0);
  if (!qel::trace::anyChannel(&trace) || trace.dwLevelMask == 0) {
    std::cerr << "qel: the trace of HKEY_LOCAL_MACHINE\\" << toUtf8(keyPath)
              << " writes nowhere: no channel on or TRACELEVEL 0 (the key may not exist)\n";
    return 1;
  }
  const std::basic_string<WCHAR> text = fromUtf8(args[2]);
  const bool passes =
      filtered ? TraceFacilityEnabled(&trace, level, facility) : TraceLevelEnabled(&trace, level);
  if (filtered)
    TraceVAF(&trace, level, facility, QEL_W("%s"), text.c_str());
  else
    TraceVA(&trace, level, QEL_W("%s"), text.c_str());
  // A channel that fails switches itself off, so what is on now got the record.
  if (!passes) {
    std::cout << "not written: level " << level << (filtered ? " or the facility" : "") << " is off\n";
  } else if (!qel::trace::anyChannel(&trace)) {
    std::cerr << "qel: the record was lost: every channel failed and switched itself off (does the TRACEPATH "
                 "folder exist?)\n";
    return 1;
  } else {
    if (trace.bFile) std::cout << toUtf8(trace.szFileName) << "\n";
    if (trace.bDebug) std::cout << "debugger output\n";
    if (trace.bEventLog) std::cout << "event log\n";
    if (trace.bMailslot) std::cout << "mailslot " << toUtf8(trace.szMailslot) << "\n";
  }
  return 0;
}

int runTrace(Args args) {
  if (args.size() >= 2 && args[0] == "listen") {
    DWORD count = 0;
    if (args.size() == 4 && args[2] == "--count" && parseCode(args[3], count)) return listen(args[1], count);
    if (args.size() == 2) return listen(args[1], 0);
  }
  if (args.size() >= 4 && args[0] == "write") return write(args.subspan(1));
  return usageError("expected listen NAME or write KEYPATH LEVEL TEXT", kUsage);
}

}  // namespace

const Command kTraceCommand{
    "trace", "listen NAME [--count N] | write KEYPATH LEVEL TEXT [--name NAME] [--facility F]",
    "receive mailslot trace records; write one record with a key's settings",
    "qel trace listen NAME [--count N]\n"
    "    the server of the mailslot \\\\.\\mailslot\\NAME: prints every record that arrives\n"
    "    (trace objects with TRACEMAILSLOT on and MAILSLOT=NAME send them) until interrupted,\n"
    "    or until N records have arrived\n"
    "qel trace write KEYPATH LEVEL TEXT [--name NAME] [--facility F]\n"
    "    initialises a trace object from the values under HKEY_LOCAL_MACHINE\\KEYPATH (TRACEFILE,\n"
    "    TRACELEVEL, TRACEPATH, ...; the root may be given) with the trace name NAME (default:\n"
    "    the DEFAULT_TRACEFILE value) and writes TEXT as one record of LEVEL (0..5: ? D I W E A)\n"
    "    through the level gate and, with --facility, the facility gate; prints where the record\n"
    "    went (the trace file's name, debugger output, event log, mailslot NAME), one line each,\n"
    "    or that its level is off; exit 1 when the settings turn every channel off (a key that\n"
    "    does not exist) or every channel failed (a TRACEPATH folder that does not exist)\n",
    runTrace};

}  // namespace qel::cli
