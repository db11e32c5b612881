#include "platform/posix/posix_process_launcher.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace zan {
namespace {

using Args = std::vector<std::string>;

TEST(SplitWindowsCommandLineTest, FollowsWindowsRules) {
  struct Row {
    const char* line;
    Args args;
  } rows[] = {
      {"", {}},
      {"   \t ", {}},
      {"prog", {"prog"}},
      {"  prog  a   b ", {"prog", "a", "b"}},
      {"prog\ta\tb", {"prog", "a", "b"}},
      // The program name keeps its backslashes and ends at its quote.
      {R"("C:\Program Files\app.exe" /x)",
       {R"(C:\Program Files\app.exe)", "/x"}},
      {R"(C:\dir\app.exe a)", {R"(C:\dir\app.exe)", "a"}},
      {R"(p "a b" c)", {"p", "a b", "c"}},
      {R"(p a"b c"d)", {"p", "ab cd"}},
      {R"(p "")", {"p", ""}},
      {R"(p \"a\")", {"p", R"("a")"}},
      {R"(p a\\\"b)", {"p", R"(a\"b)"}},
      {R"(p "a\\" b)", {"p", R"(a\)", "b"}},
      {R"(p a\\b\ c)", {"p", R"(a\\b\)", "c"}},
      {R"(p "a""b")", {"p", R"(a"b)"}},
      {R"(p "unclosed arg)", {"p", "unclosed arg"}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(SplitWindowsCommandLine(row.line), row.args) << row.line;
  }
}

// Only what is special to the POSIX form: how the line is split, and what
// the program inherits. Starting programs is in process_launcher_contract.cc.
class ProcessLauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zan_launch_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;
};

TEST_F(ProcessLauncherTest, ProgramInheritsOnlyStandardDescriptors) {
  const std::filesystem::path marker = dir_ / "fds";
  // A descriptor of the caller without close-on-exec.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  PosixProcessLauncher launcher;
  ASSERT_TRUE(launcher.Start("sh -c \"ls /proc/self/fd > '" + marker.string() +
                             ".tmp' && mv '" + marker.string() + ".tmp' '" +
                             marker.string() + "'\""));
  for (int i = 0; i < 500 && !std::filesystem::exists(marker); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  close(fds[0]);
  close(fds[1]);
  std::ifstream in(marker);
  std::vector<std::string> open;
  for (std::string line; std::getline(in, line);) open.push_back(line);
  // 0, 1, 2 and the one ls opens to read the folder.
  EXPECT_LE(open.size(), 4u);
  EXPECT_EQ(std::find(open.begin(), open.end(), std::to_string(fds[1])),
            open.end());
}

}  // namespace
}  // namespace zan
