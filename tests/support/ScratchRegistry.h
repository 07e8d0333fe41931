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

#endif

}  // namespace qel::test

#endif
