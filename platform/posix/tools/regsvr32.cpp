/*
 * regsvr32 for POSIX systems: loads each shared module named on the
 * command line and calls its DllRegisterServer, or with /u its
 * DllUnregisterServer.  Without /s it reports the outcome on stdout
 * (success) or stderr (failure), where Windows shows a message box.
 * Exit codes are Windows' own: 0 done, 1 bad arguments, 3 the module did
 * not load, 4 the entry point is missing, 5 the entry point failed.
 */
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum Exit { kOk = 0, kBadArguments = 1, kLoadFailed = 3, kNoEntryPoint = 4, kCallFailed = 5 };

using EntryPoint = int32_t (*)();  // HRESULT __stdcall (void)

struct Options {
  bool unregister = false;
  bool silent = false;
  std::vector<std::string> modules;
};

void report(const Options& options, FILE* stream, const std::string& text) {
  if (!options.silent) std::fprintf(stream, "%s\n", text.c_str());
}

// Windows looks for a bare name in the current folder first; so do we,
// rather than in the loader's library path.
std::string hostPath(std::string name) {
  for (char& c : name)
    if (c == '\\') c = '/';
  return name.find('/') == std::string::npos ? "./" + name : name;
}

Exit registerModule(const Options& options, const std::string& module) {
  const char* entryName = options.unregister ? "DllUnregisterServer" : "DllRegisterServer";
  void* handle = dlopen(hostPath(module).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    report(options, stderr,
           "The module \"" + module +
               "\" failed to load.\n\nMake sure the binary is stored at the specified path or debug it to "
               "check for problems with the binary or dependent .DLL files.\n\n" +
               dlerror());
    return kLoadFailed;
  }
  auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, entryName));
  Exit result = kOk;
  if (!entry) {
    report(options, stderr,
           "The module \"" + module + "\" was loaded but the entry-point " + entryName +
               " was not found.\n\nMake sure that \"" + module +
               "\" is a valid DLL or OCX file and then try again.");
    result = kNoEntryPoint;
  } else if (int32_t hr = entry(); hr < 0) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08x", unsigned(hr));
    report(options, stderr,
           "The module \"" + module + "\" was loaded but the call to " + entryName +
               " failed with error code " + code + ".");
    result = kCallFailed;
  } else {
    report(options, stdout, std::string(entryName) + " in " + module + " succeeded.");
  }
  // The module stays loaded until the tool exits: what it allocated for its
  // own static state is still in use then, not lost.
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    // "/x" and "/x:..." are switches, a longer word with a slash is a path.
    const bool isSwitch = arg[0] == '-' || (arg[0] == '/' && arg[1] && (!arg[2] || arg[2] == ':'));
    if (isSwitch && arg[1] && !arg[2] && std::strchr("uUsS", arg[1])) {
      (arg[1] == 'u' || arg[1] == 'U' ? options.unregister : options.silent) = true;
    } else if (isSwitch) {
      std::fprintf(stderr, "Unrecognized flag: %s\n", arg);
      return kBadArguments;
    } else {
      options.modules.push_back(arg);
    }
  }
  if (options.modules.empty()) {
    report(options, stderr, "To register a module, you must provide a binary name.");
    return kBadArguments;
  }
  // Every module is tried; the first failure gives the exit code.
  Exit result = kOk;
  for (const std::string& module : options.modules)
    if (Exit e = registerModule(options, module); result == kOk) result = e;
  return result;
}
