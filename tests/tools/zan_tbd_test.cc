#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"

namespace zan {
namespace {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

class ZanTbdTest : public ::testing::Test {
 protected:
  // Runs zan-tbd with the given arguments, capturing both streams.
  RunResult Run(const std::string& arguments) {
    const std::string command = "'" + tool_ + "' " + arguments + " >'" +
                                dir_.File("out") + "' 2>'" + dir_.File("err") +
                                "'";
    RunResult result;
    const int raw = std::system(command.c_str());
    if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    result.out = dir_.ReadFile("out");
    result.err = dir_.ReadFile("err");
    return result;
  }

  std::string Write(const std::string& name, const std::string& text) {
    return dir_.WriteFile(name, text);
  }

  test::TempDir dir_;
  // The test program's environment names the build tree.
  std::string tool_ =
      std::string(std::getenv("ZAN_BINARY_DIR")) + "/tools/zan-tbd";
};

TEST_F(ZanTbdTest, CheckPrintsEveryBoxAndSucceedsOnWarnings) {
  const std::string file =
      Write("warn.tbd",
            "RYX_Toolbar {\n"
            "  company=\"c\"\n"
            "  BUTTON { caption=\"Go\" MENU { hint=\"h\" MENUITEM { type=\"t\" "
            "} } }\n"
            "  COMBO { name=\"q\" COMBOVALUE { caption=\"c\" } }\n"
            "  COMMANDS { GOTOURL { name=\"g\" } }\n"
            "}\n");
  const RunResult result = Run("check '" + file + "'");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "TBDL Button Menu: Invalid property company\n"
            "TBDL Button Menu: Invalid property hint\n"
            "TBDL Command button: Invalid property type\n");
}

// A check lets each element go once it is loaded; its messages are still
// those of the whole load, in the same order.
TEST_F(ZanTbdTest, CheckReportsWhatTheWholeLoadReports) {
  const std::string file = Write(
      "many.tbd",
      "RYX_Toolbar { UUID=\"u\"\n"
      "  BUTTON { MENU { SUBMENU { hint=\"1\" MENUITEM { type=\"2\" } } } }\n"
      "  COMMANDS { GOTOURL { name=\"g\" } }\n"
      "  BUTTON { MENU { type=\"Split\" command=\"3\" MENUSEPARATOR } }\n"
      "  COMMANDS { SHELLEXECUTE { name=\"s\" } }\n"
      "  BUTTON { MENU { MENUITEM { type=\"4\" } } }\n"
      "}\n");
  const RunResult check = Run("check '" + file + "'");
  const RunResult dump = Run("dump '" + file + "'");
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(dump.status, 0);
  EXPECT_EQ(check.err,
            "TBDL Button Menu: Invalid property UUID\n"
            "TBDL button sub menu : Invalid property hint\n"
            "TBDL Command button: Invalid property type\n"
            "TBDL Button Menu: Invalid property command\n"
            "TBDL Command button: Invalid property type\n");
  EXPECT_EQ(dump.err, check.err);
}

TEST_F(ZanTbdTest, FailedParseReportsPositionAndTokens) {
  const std::string file = Write(
      "bad.tbd",
      "RYX_Toolbar {\n  BUTTON { caption=\"Two\nlines\" Caption=\"x\" }\n}\n");
  for (const std::string action : {"check", "dump"}) {
    const RunResult result = Run(action + " '" + file + "'");
    EXPECT_EQ(result.status, 1) << action;
    EXPECT_EQ(result.out, "") << action;
    EXPECT_EQ(
        result.err,
        "Syntax error: parse error\n"
        "Failed to parse toolbar definition file: caption \"Two\nlines\"\n" +
            file + ":3:8: parse error (last tokens: caption \"Two\nlines\")\n")
        << action;
  }
}

TEST_F(ZanTbdTest, UnreadableFileAndBadArguments) {
  RunResult result = Run("check '" + dir_.File("missing.tbd") + "'");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(
      result.err.rfind("Error: Unable to open toolbar definition file\n", 0),
      0u)
      << result.err;
  result = Run("dump '" + dir_.path() + "'");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Run("").status, 2);
  EXPECT_EQ(Run("lint '" + Write("x.tbd", "RYX_Toolbar{}") + "'").status, 2);
  EXPECT_EQ(Run("check").status, 2);
}

TEST_F(ZanTbdTest, CheckWarnsAboutMenuEntriesOutsideTheIdentifiers) {
  // Item 27 (index 26) reaches the mailbox identifiers at its 201st entry;
  // item 28 lies wholly past them.
  std::string text = "RYX_Toolbar {\n";
  for (int i = 0; i < 26; ++i) text += "SEPARATOR\n";
  text += "BUTTON { caption=\"Long\" MENU { type=\"Single\"\n";
  for (int k = 0; k < 205; ++k) text += "MENUITEM { caption=\"e\" }\n";
  text +=
      "} }\nBUTTON { caption=\"Late\" MENU { MENUITEM { caption=\"x\" } "
      "SUBMENU { caption=\"s\" MENUITEM { caption=\"y\" } } } }\n}\n";
  const RunResult check = Run("check '" + Write("many.tbd", text) + "'");
  EXPECT_EQ(check.status, 0);
  EXPECT_NE(check.err.find("item 27 (\"Long\"): menu entries 201 to 205 have "
                           "no command identifier"),
            std::string::npos)
      << check.err;
  EXPECT_NE(check.err.find("item 28 (\"Late\"): menu entries 1 to 3"),
            std::string::npos)
      << check.err;
  EXPECT_EQ(check.err.find("cannot be numbered"), std::string::npos);
}

// The dump's format is pinned once, by the golden dump of the default
// definition (tests/definition/golden), which the definition suite compares
// with the model's dump; here the program writes it byte for byte.
TEST_F(ZanTbdTest, DefaultDefinitionIsCleanAndItsDumpLoadsBack) {
  const char* source = std::getenv("ZAN_SOURCE_DIR");
  const std::string root = source != nullptr ? source : ".";
  const std::string definition = root + "/site/toolbar/ZAN.tbd";
  const RunResult check = Run("check '" + definition + "'");
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.err, "");
  const RunResult first = Run("dump '" + definition + "'");
  ASSERT_EQ(first.status, 0);
  EXPECT_EQ(first.out, test::ReadWholeFile(
                           root + "/tests/definition/golden/ZAN.tbd.dump"));
  const RunResult second = Run("dump '" + Write("dumped.tbd", first.out) + "'");
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.err, "");
  EXPECT_EQ(second.out, first.out);
}

}  // namespace
}  // namespace zan
