#ifndef ZAN_TESTS_PLATFORM_PROCESS_LAUNCHER_CONTRACT_H_
#define ZAN_TESTS_PLATFORM_PROCESS_LAUNCHER_CONTRACT_H_

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "platform/process_launcher.h"

namespace zan::test {

// One form of the process launcher: how to make it, and a command line of
// that system that writes the line "started" into a file.
struct LauncherForm {
  const char* name;
  std::unique_ptr<ProcessLauncher> (*make)();
  std::string (*marker_command)(const std::string& path);

  friend void PrintTo(const LauncherForm& form, std::ostream* out) {
    *out << form.name;
  }
};

// What every form of the process launcher seam must do. A form runs it with
//   INSTANTIATE_TEST_SUITE_P(Form, ProcessLauncherContract,
//       ::testing::Values(LauncherForm{"Form", &MakeFormLauncher,
//                                      &FormMarker}));
class ProcessLauncherContract : public ::testing::TestWithParam<LauncherForm> {
 protected:
  void SetUp() override {
    launcher_ = GetParam().make();
    ASSERT_NE(launcher_, nullptr);
  }

  std::unique_ptr<ProcessLauncher> launcher_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_PLATFORM_PROCESS_LAUNCHER_CONTRACT_H_
