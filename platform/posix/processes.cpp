/*
 * CreateProcessW over posix_spawnp, and the process and thread handles it
 * hands out.  A child whose handles are all closed before it ends is kept
 * on a list and reaped by later calls, so it does not stay a zombie.
 */
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "command_line.h"
#include "handles.h"
#include "shield.h"
#include "syscalls.h"

extern char** environ;

namespace qel::posix {
namespace {

// Children whose handles are gone but which had not ended yet.
struct Orphans {
  std::mutex mutex;
  std::vector<pid_t> pids;
};

Orphans& orphans() {
  static Orphans* o = new Orphans;  // outlives exit handlers
  return *o;
}

void reapOrphans() {
  Orphans& o = orphans();
  std::lock_guard lock(o.mutex);
  std::erase_if(o.pids, [](pid_t pid) { return sys::waitpid(pid, nullptr, WNOHANG) != 0; });
}

class ProcessObject : public KernelObject {
 public:
  explicit ProcessObject(pid_t pid) : pid_(pid) {}
  ~ProcessObject() override {
    if (ended()) return;
    Orphans& o = orphans();
    std::lock_guard lock(o.mutex);
    try {
      o.pids.push_back(pid_);
    } catch (const std::bad_alloc&) {
      // No room to remember it: the child is reaped by no one, which is
      // better than a destructor that throws.
    }
  }

  DWORD wait(DWORD milliseconds) override {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    long pause = 1;  // milliseconds, growing to 16
    while (!ended()) {
      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
      if (milliseconds != INFINITE && waited >= long(milliseconds)) return WAIT_TIMEOUT;
      long step = milliseconds == INFINITE ? pause : std::min(pause, long(milliseconds) - long(waited));
      timespec t{step / 1000, (step % 1000) * 1000000};
      nanosleep(&t, nullptr);
      pause = std::min(pause * 2, 16L);
    }
    return WAIT_OBJECT_0;
  }

  DWORD exitCode() {
    std::lock_guard lock(mutex_);
    return poll() ? code_ : STILL_ACTIVE;
  }

 private:
  bool ended() {
    std::lock_guard lock(mutex_);
    return poll();
  }

  // Collects the child's status once it has ended.  A child that the host
  // reaped itself (a SIGCHLD handler, SIGCHLD ignored) counts as ended
  // with code 0: its status is lost.
  bool poll() {
    if (done_) return true;
    int status = 0;
    pid_t r = sys::waitpid(pid_, &status, WNOHANG);
    if (r == 0) return false;
    done_ = true;
    if (r > 0 && WIFEXITED(status)) code_ = DWORD(WEXITSTATUS(status));
    if (r > 0 && WIFSIGNALED(status)) code_ = 128 + DWORD(WTERMSIG(status));
    return true;
  }

  std::mutex mutex_;
  const pid_t pid_;
  bool done_ = false;
  DWORD code_ = 0;
};

// The primary thread: signalled when its process ends.
class ThreadObject : public KernelObject {
 public:
  explicit ThreadObject(std::shared_ptr<ProcessObject> process) : process_(std::move(process)) {}
  DWORD wait(DWORD milliseconds) override { return process_->wait(milliseconds); }

 private:
  std::shared_ptr<ProcessObject> process_;
};

// A Windows environment block: NAME=VALUE items, each zero-terminated,
// and a final zero; wide with CREATE_UNICODE_ENVIRONMENT, else ANSI.
std::vector<std::string> environmentOf(const void* block, bool wide) {
  std::vector<std::string> items;
  if (wide) {
    for (auto* p = static_cast<const WCHAR*>(block); *p;) {
      std::u16string_view item(p);
      items.push_back(utf8(item));
      p += item.size() + 1;
    }
    return items;
  }
  for (auto* p = static_cast<const char*>(block); *p;) {
    std::string_view item(p);
    std::u16string text(item.size(), 0);
    MultiByteToWideChar(CP_ACP, 0, item.data(), int(item.size()), text.data(), int(text.size()));
    items.push_back(utf8(text));
    p += item.size() + 1;
  }
  return items;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& t : texts) pointers.push_back(t.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The spawn settings of a fresh Windows process: no blocked signals and
// the default action for those a host commonly catches or ignores.
struct SpawnSettings {
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  SpawnSettings() {
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2})
      sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnSettings() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSettings(const SpawnSettings&) = delete;
  SpawnSettings& operator=(const SpawnSettings&) = delete;
};

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL createProcess(LPCWSTR application, LPCWSTR commandLine, DWORD flags, LPVOID environment,
                   LPCWSTR directory, PROCESS_INFORMATION& info) {
  const std::vector<std::u16string> words = splitCommandLine(commandLine ? commandLine : u"");
  std::string program;
  if (application) {
    program = hostPath(application);
    if (sys::access(program.c_str(), F_OK) != 0) return fail(ERROR_FILE_NOT_FOUND);
  } else {
    if (words.empty()) return fail(ERROR_INVALID_PARAMETER);
    const char* path = getenv("PATH");
    program = findProgram(hostPath(words[0].c_str()), path ? path : "/usr/bin:/bin");
    if (program.empty()) return fail(ERROR_FILE_NOT_FOUND);
  }
  std::vector<std::string> arguments;
  for (const std::u16string& w : words) arguments.push_back(utf8(w));
  if (arguments.empty()) arguments.push_back(utf8(application));
  std::vector<std::string> variables;
  if (environment) variables = environmentOf(environment, flags & CREATE_UNICODE_ENVIRONMENT);
  std::vector<char*> argv = pointersTo(arguments), envp = pointersTo(variables);

  SpawnSettings settings;
  if (directory) {
    struct stat st {};
    const std::string folder = hostPath(directory);
    if (sys::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return fail(ERROR_DIRECTORY);
    posix_spawn_file_actions_addchdir_np(&settings.actions, folder.c_str());
  }
  reapOrphans();
  pid_t pid = 0;
  if (int e = sys::spawn(&pid, program.c_str(), &settings.actions, &settings.attributes, argv.data(),
                         environment ? envp.data() : environ))
    return fail(errorOf(e));
  auto process = std::make_shared<ProcessObject>(pid);
  info.hProcess = addHandle(process);
  info.hThread = addHandle(std::make_shared<ThreadObject>(process));
  info.dwProcessId = info.dwThreadId = DWORD(pid);
  return TRUE;
}

}  // namespace
}  // namespace qel::posix

using namespace qel::posix;

extern "C" BOOL WINAPI CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                                      LPSECURITY_ATTRIBUTES, BOOL, DWORD dwCreationFlags,
                                      LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory,
                                      LPSTARTUPINFOW lpStartupInfo,
                                      LPPROCESS_INFORMATION lpProcessInformation) {
  return qel::posix::shielded(
      [&]() -> BOOL {
        if (!lpStartupInfo || !lpProcessInformation || (!lpApplicationName && !lpCommandLine))
          return fail(ERROR_INVALID_PARAMETER);
        try {
          return createProcess(lpApplicationName, lpCommandLine, dwCreationFlags, lpEnvironment,
                               lpCurrentDirectory, *lpProcessInformation);
        } catch (...) {
          return fail(ERROR_NOT_ENOUGH_MEMORY);
        }
      },
      FALSE);
}

extern "C" DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  std::shared_ptr<KernelObject> object = findHandle(hHandle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return object->wait(dwMilliseconds);
}

extern "C" BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  std::shared_ptr<ProcessObject> process = handleOf<ProcessObject>(hProcess);
  if (!process) return FALSE;
  if (!lpExitCode) return fail(ERROR_INVALID_PARAMETER);
  *lpExitCode = process->exitCode();
  return TRUE;
}
