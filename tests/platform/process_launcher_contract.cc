#include "tests/platform/process_launcher_contract.h"

#include <chrono>
#include <thread>

#include "tests/support/temp_dir.h"

namespace zan::test {
namespace {

// The first line of `path` once a started program has written it; the wait
// is bounded.
std::string WaitForLine(const std::string& path) {
  std::string text;
  for (int i = 0; i < 1000; ++i) {
    text = ReadWholeFile(path);
    if (text.find('\n') != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

TEST_P(ProcessLauncherContract, StartsAProgramWithoutWaiting) {
  TempDir dir;
  // The folder's name holds a space, so the line needs its quotes.
  const std::string marker = dir.File("marker file");
  ASSERT_TRUE(launcher_->Start(GetParam().marker_command(marker)));
  EXPECT_EQ(WaitForLine(marker), "started");
}

TEST_P(ProcessLauncherContract, ReportsProgramsThatCannotStart) {
  TempDir dir;
  EXPECT_FALSE(launcher_->Start(""));
  EXPECT_FALSE(launcher_->Start("   "));
  EXPECT_FALSE(launcher_->Start("zan-no-such-program-here --x"));
  EXPECT_FALSE(launcher_->Start(dir.File("missing")));
}

}  // namespace
}  // namespace zan::test
