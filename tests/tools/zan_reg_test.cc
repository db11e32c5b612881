#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/posix/sqlite_registry.h"
#include "tests/support/temp_dir.h"

namespace zan {
namespace {

// The zan-reg program over a real store file, when it has been built. The
// .reg format itself is the settings suite's (reg_file_test.cc).
TEST(ZanRegToolTest, ExportImportRoundTrip) {
  // The test program's environment names the build tree.
  const std::string tool =
      std::string(std::getenv("ZAN_BINARY_DIR")) + "/tools/zan-reg";
  if (!std::filesystem::exists(tool)) GTEST_SKIP() << tool << " not built";
  test::TempDir dir;
  {
    auto registry = SqliteRegistry::Open(dir.File("a.db"));
    ASSERT_NE(registry, nullptr);
    auto product = registry->CreateKey(RegistryHive::kCurrentUser,
                                       "SOFTWARE\\ZAN Inc.\\ZAN");
    product->SetValue("GlobalUpdateFlag",
                      {RegistryType::kString, std::string("0\0", 2)});
    product->CreateKey("POP3 Accounts")
        ->SetValue("POP3Password1",
                   {RegistryType::kBinary, std::string("\0\x7f\xff", 3)});
    registry->CreateKey(RegistryHive::kClassesRoot, "RYX.ZAN")
        ->SetValue("", {RegistryType::kString, std::string("ZAN\0", 4)});
  }
  auto run = [&](const std::string& store, const std::string& args) {
    const std::string command =
        "ZAN_REGISTRY='" + store + "' '" + tool + "' " + args;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(run(dir.File("a.db"), "export > '" + dir.File("a.reg") + "'"), 0);
  ASSERT_EQ(run(dir.File("b.db"), "import '" + dir.File("a.reg") + "'"), 0);
  ASSERT_EQ(run(dir.File("b.db"), "export > '" + dir.File("b.reg") + "'"), 0);
  EXPECT_EQ(dir.ReadFile("a.reg"), dir.ReadFile("b.reg"));
  EXPECT_NE(dir.ReadFile("a.reg").find("[HKEY_CURRENT_USER\\SOFTWARE\\ZAN "
                                       "Inc.\\ZAN]"),
            std::string::npos);
  ASSERT_EQ(run(dir.File("b.db"),
                "export 'HKCU\\SOFTWARE\\ZAN Inc.\\ZAN\\POP3 "
                "Accounts' > '" +
                    dir.File("c.reg") + "'"),
            0);
  EXPECT_EQ(dir.ReadFile("c.reg").find("GlobalUpdateFlag"), std::string::npos);
  EXPECT_EQ(run(dir.File("b.db"), "export HKCU\\\\Missing 2>/dev/null"), 1);
  EXPECT_EQ(run(dir.File("b.db"), "bogus 2>/dev/null"), 2);
  dir.WriteFile("bad.reg", "not a reg file\n");
  EXPECT_EQ(
      run(dir.File("b.db"), "import '" + dir.File("bad.reg") + "' 2>/dev/null"),
      1);
}

}  // namespace
}  // namespace zan
