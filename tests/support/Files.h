/* Whole files and scratch folders for the tests: every file a test writes
   lies in a folder of its own that goes with the test. */
#ifndef QEL_TESTS_FILES_H
#define QEL_TESTS_FILES_H

#include <gtest/gtest.h>
#include <qel/win32.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qel::test {

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

#ifndef _WIN32
// A shell script that may be run.
inline void writeScript(const std::string& path, const std::string& body) {
  writeFile(path, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
}
#endif

// A fixture with a scratch folder named after the process and the test.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = (std::filesystem::temp_directory_path() /
               ("qelbase-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                  .string();
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }

  std::string folder_;
};

}  // namespace qel::test

#endif
