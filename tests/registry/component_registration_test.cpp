/* QEL_OCXRegister: the command lines it starts (seen by a stand-in tool),
   a real registration round trip through regsvr32 (ours on POSIX, the
   system's on Windows), the tool's exit codes, and a registration tool
   that is not there. */
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "registry/ComponentRegistration.h"
#include "registry/RegistryHelpers.h"
#include "support/Files.h"
#include "support/Platform.h"
#include "support/ScratchRegistry.h"
#include "support/WideText.h"

namespace {

namespace fs = std::filesystem;
using qel::test::widen;
using qel::test::WString;

const qel::test::ScratchRegistry scratch;

// Polls for up to ten seconds: the registration processes are not waited for.
bool eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 1000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

#ifndef _WIN32  // the stand-in tool is a shell script

using qel::test::SearchPath;

// A folder with a stand-in "regsvr32" that logs its arguments, one
// process per line, each argument followed by '|'.
class FakeTool : public qel::test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    qel::test::writeScript(path("regsvr32"), "printf '%s|' \"$@\" > \"" + folder_ + "/log.$$\"\nmv \"" +
                                                 folder_ + "/log.$$\" \"" + folder_ + "/done.$$\"");
  }

  std::multiset<std::string> logged(size_t expected) {
    std::multiset<std::string> lines;
    eventually([&] {
      lines.clear();
      for (const auto& entry : fs::directory_iterator(folder_))
        if (entry.path().filename().string().starts_with("done."))
          lines.insert(qel::test::readFile(entry.path()));
      return lines.size() >= expected;
    });
    return lines;
  }
};

TEST_F(FakeTool, CommandLinesCarrySwitchesInOrderAndNamesUnquoted) {
  SearchPath searchPath(folder_ + ":/usr/bin:/bin");
  struct Case {
    BOOL unregister, silent;
    std::vector<std::string> files;
    std::multiset<std::string> expected;
  } cases[] = {
      {TRUE, TRUE, {"a.ocx"}, {"/u|/s|a.ocx|"}},
      {FALSE, TRUE, {"a.ocx", "b.dll"}, {"/s|a.ocx|", "/s|b.dll|"}},
      {TRUE, FALSE, {"x.ocx"}, {"/u|x.ocx|"}},
      {FALSE, FALSE, {"with blank.ocx", ""}, {"with|blank.ocx|", "|"}},
  };
  for (const Case& c : cases) {
    OcxRegisterParams params{c.unregister, c.silent, {}};
    for (const std::string& f : c.files) params.files.push_back(widen(f));
    EXPECT_EQ(QEL_OCXRegister(&params), 0u);
    EXPECT_EQ(logged(c.expected.size()), c.expected);
    for (const auto& entry : fs::directory_iterator(folder_))
      if (entry.path().filename() != "regsvr32") fs::remove(entry.path());
  }
  OcxRegisterParams none{TRUE, TRUE, {}};
  EXPECT_EQ(QEL_OCXRegister(&none), 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(logged(0).empty());
}

TEST_F(FakeTool, MissingToolStopsWithTheFileNotFoundCode) {
  SearchPath searchPath(scratch.folder() + "/nowhere");
  OcxRegisterParams params{FALSE, TRUE, {QEL_W("a.ocx"), QEL_W("b.ocx")}};
  EXPECT_EQ(QEL_OCXRegister(&params), 0x80070002u);
  EXPECT_EQ(QEL_OCXRegister(nullptr), 0x80070057u);
}

#endif

const WCHAR kComponentKey[] = QEL_W("Software\\QELBaseTest\\Component");

bool componentRegistered() {
  HKEY key;
  if (OpenRegKey(HKEY_CURRENT_USER, kComponentKey, KEY_READ, &key)) return false;
  CloseRegKey(key);
  return true;
}

// Under Windows the component writes the system's registry, which outlives
// the run: one left registered would be seen as registered at once, and the
// removal started next could overtake the registration still on its way.
void forgetComponent() {
  DeleteRegKey(HKEY_CURRENT_USER, kComponentKey);
  DeleteRegKey(HKEY_CURRENT_USER, QEL_W("Software\\QELBaseTest"));
}

// The exit code of regsvr32 run to its end on the given arguments.
DWORD toolExit(const std::string& arguments) { return qel::test::runToEnd(widen("regsvr32 " + arguments)); }

using qel::test::nativePath;

TEST(Regsvr32, RegistersAndUnregistersAComponent) {
#ifndef _WIN32
  SearchPath path(QELBASE_TOOL_DIR);
#endif
  const std::string module = nativePath(QELBASE_TEST_COMPONENT);
  const WString component = widen(module);
  OcxRegisterParams add{FALSE, TRUE, {component}}, remove{TRUE, TRUE, {component}};
  forgetComponent();
  ASSERT_EQ(QEL_OCXRegister(&add), 0u);
  EXPECT_TRUE(eventually(componentRegistered));
  ASSERT_EQ(QEL_OCXRegister(&remove), 0u);
  EXPECT_TRUE(eventually([] { return !componentRegistered(); }));

  // What the tool itself reports, silent and not.
  struct Case {
    std::string arguments;
    DWORD exit;
  } cases[] = {
      {"/s " + module, 0},
      {"/u /s " + module, 0},
      {"/u /s " + module, 5},  // the component fails when it is not registered
      {"/s " + nativePath(scratch.folder() + "/missing.ocx"), 3},
      {"/s " + nativePath(QELBASE_LIBRARY_FILE), 4},
      {"/s", 1},
      {"/x " + module, 1},
      {"-S -U " + module, 5},
      {module, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(toolExit(c.arguments), c.exit) << c.arguments;
  EXPECT_TRUE(componentRegistered());
  forgetComponent();
}

}  // namespace
