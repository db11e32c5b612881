#include "platform/posix/process_module.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/string_utils.h"

namespace zan {
namespace {

TEST(ProcessModuleTest, TheRunningProgramOrItsNameInZanHome) {
  ProcessModule module;
  const std::string path = module.Path();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_NE(path.find("platform_tests"), std::string::npos) << path;
  EXPECT_EQ(module.PathSeparator(), '/');

  setenv("ZAN_HOME", "/srv/zan", 1);
  EXPECT_EQ(module.Path(), "/srv/zan/platform_tests");
  EXPECT_EQ(ModuleDirFile(module, "ZAN.tbd"), "/srv/zan/ZAN.tbd");
  unsetenv("ZAN_HOME");
}

}  // namespace
}  // namespace zan
