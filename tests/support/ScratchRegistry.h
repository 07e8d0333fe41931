/* A registry store of the test process's own, in a scratch folder that is
   removed at exit: QELBASE_REGISTRY points there before the first call.
   On Windows the registry is the system's and only the folder is made. */
#ifndef QEL_TESTS_SCRATCH_REGISTRY_H
#define QEL_TESTS_SCRATCH_REGISTRY_H

#include <qel/win32.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace qel::test {

class ScratchRegistry {
 public:
  ScratchRegistry() {
#ifdef _WIN32
    folder_ =
        (std::filesystem::temp_directory_path() / ("qelbase-registry-" + std::to_string(owner_))).string();
    std::filesystem::create_directories(folder_);
    path_ = folder_ + "/registry.db";
#else
    char folder[] = "/tmp/qelbase-registry-XXXXXX";
    folder_ = mkdtemp(folder);
    path_ = folder_ + "/registry.db";
    setenv("QELBASE_REGISTRY", path_.c_str(), 1);
#endif
  }
  ~ScratchRegistry() {
    if (GetCurrentProcessId() == owner_) std::filesystem::remove_all(folder_);
  }
  const std::string& path() const { return path_; }
  const std::string& folder() const { return folder_; }

 private:
  DWORD owner_ = GetCurrentProcessId();
  std::string folder_, path_;
};

#ifndef _WIN32
// Runs body in a child process (a fresh store connection there) and
// returns its result, or -1 if the child did not finish.
template <class Body>
long inChild(Body&& body) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    long result = long(body());
    _exit(write(channel[1], &result, sizeof result) == sizeof result ? 0 : 1);
  }
  close(channel[1]);
  long result = -1;
  if (read(channel[0], &result, sizeof result) != sizeof result) result = -1;
  close(channel[0]);
  waitpid(pid, nullptr, 0);
  return result;
}

// The exit code of a child process, or -1 when it did not exit by itself.
inline int exitCodeOf(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs body(i) in n child processes that start together (each waits until
// all are forked); true when every one exits with 0, the code body returns.
template <class Body>
bool inChildren(int n, Body&& body) {
  int go[2];
  if (pipe(go) != 0) return false;
  std::vector<pid_t> pids;
  for (int i = 0; i < n; ++i) {
    const pid_t pid = fork();
    if (pid == 0) {
      char c;
      _exit(::read(go[0], &c, 1) == 1 ? int(body(i)) : 2);
    }
    pids.push_back(pid);
  }
  bool all = ::write(go[1], std::string(size_t(n), 'g').data(), size_t(n)) == n;
  close(go[0]);
  close(go[1]);
  for (pid_t pid : pids) all &= exitCodeOf(pid) == 0;
  return all;
}
#endif

}  // namespace qel::test

#endif
