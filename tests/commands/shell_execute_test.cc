#include "commands/shell_execute.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "commands/run_command.h"
#include "tests/commands/command_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan::test {
namespace {

// Sets an environment variable for one test and restores it after.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    SetEnvironment(name, value);
  }
  ~ScopedEnv() { SetEnvironment(name_, old_ ? old_->c_str() : nullptr); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class ShellExecuteTest : public CommandTest {
 protected:
  void Run(const std::string& shellcmd, const std::string& failmsg = "oops") {
    ShellExecuteCommand command;
    command.shellcmd = shellcmd;
    command.failmsg = failmsg;
    ExecuteShellCommand(toolbar, command);
  }

  // Names `client` the default e-mail program with `open` as its command.
  void SetMailClient(const std::string& client, const std::string& open) {
    auto clients = registry->CreateKey(RegistryHive::kLocalMachine,
                                       "SOFTWARE\\Clients\\Mail");
    ASSERT_NE(clients, nullptr);
    clients->SetValue("", {RegistryType::kString, client + '\0'});
    auto command = clients->CreateKey(client + "\\Shell\\Open\\Command");
    ASSERT_NE(command, nullptr);
    command->SetValue("", {RegistryType::kString, open + '\0'});
  }

  ScopedEnv program_files_{"ProgramFiles", "C:\\Program Files"};
  ScopedEnv comspec_{"COMSPEC", "C:\\WINDOWS\\system32\\cmd.exe"};
};

TEST_F(ShellExecuteTest, EnvironmentPlaceholdersInEveryKnownSpelling) {
  Run("%COMSPEC% /c dir");
  Run("%ProgramFiles%\\App\\app.exe %programfiles% %PROGRAMFILES%");
  Run("%Programfiles%\\App\\app.exe");
  EXPECT_EQ(launcher.lines,
            (std::vector<std::string>{
                "C:\\WINDOWS\\system32\\cmd.exe /c dir",
                "C:\\Program Files\\App\\app.exe C:\\Program Files "
                "C:\\Program Files",
                "%Programfiles%\\App\\app.exe"}));
  EXPECT_TRUE(ui.boxes.empty());
  {
    ScopedEnv unset("COMSPEC", nullptr);  // an unset variable removes it
    Run("[%COMSPEC%]");
  }
  EXPECT_EQ(launcher.lines.back(), "[]");
}

TEST_F(ShellExecuteTest, DefaultEmailClientFromTheRegistry) {
  SetMailClient("Mailer", "C:\\Mail\\mail.exe /compose %1 %2");
  Run("%DefaultEmailClient -x %DefaultEmailClient");
  ASSERT_EQ(launcher.lines.size(), 1u);
  EXPECT_EQ(launcher.lines[0],
            "C:\\Mail\\mail.exe /compose -x %DefaultEmailClient");

  SetMailClient("Mailer", "C:\\Mail\\whole.exe");
  Run("%DefaultEmailClient");
  EXPECT_EQ(launcher.lines.back(), "C:\\Mail\\whole.exe");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ShellExecuteTest, DesktopHandlerWhenTheRegistryNamesNone) {
  FakeDesktopMailHandler desktop;
  desktop.command = "thunderbird -compose %1";
  toolbar.env.mail_handler = &desktop;
  Run("%DefaultEmailClient");
  EXPECT_EQ(launcher.lines.back(), "thunderbird -compose");

  // The registry's program wins over the desktop's.
  SetMailClient("Mailer", "mail.exe %1");
  desktop.calls = 0;
  Run("%DefaultEmailClient");
  EXPECT_EQ(launcher.lines.back(), "mail.exe");
  EXPECT_EQ(desktop.calls, 0);
}

TEST_F(ShellExecuteTest, UnknownEmailClientShowsFailureAndStillRuns) {
  SetMailClient("Mailer", "");  // an empty open command counts as none
  launcher.succeed = false;
  Run("%DefaultEmailClient", "No mail program");
  EXPECT_EQ(launcher.lines, (std::vector<std::string>{"%DefaultEmailClient"}));
  const ScriptedUi::Box box{"No mail program", "ZAN Inc. Toolbar Alert",
                            MessageBoxButtons::kOk, MessageBoxIcon::kNone};
  EXPECT_EQ(ui.boxes, (std::vector<ScriptedUi::Box>{box, box}));
}

TEST_F(ShellExecuteTest, StartFailureShowsFailmsgOnce) {
  launcher.succeed = false;
  Run("nothing.exe", "");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "");
  EXPECT_EQ(ui.boxes[0].caption, "ZAN Inc. Toolbar Alert");
}

TEST_F(ShellExecuteTest, RealProgramStartsThroughTheCommand) {
  TempDir dir;
  auto real = MakeTestProcessLauncher();
  toolbar.env.process_launcher = real.get();
  std::string line;
  for (char c : MarkerCommandLine(dir.File("marker"))) {
    // The definition file's escapes: a quote and a backslash (of a Windows
    // path) each need a backslash.
    if (c == '"' || c == '\\') line += '\\';
    line += c;
  }
  Load("COMMANDS { SHELLEXECUTE { name=\"Mark\" shellcmd=\"" + line +
       "\" failmsg=\"no\" } }");
  ExecuteCommand(toolbar, Command("Mark"), "");
  for (int i = 0;
       i < 500 && dir.ReadFile("marker").find('\n') == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(dir.ReadFile("marker").substr(0, 7), "started");
  EXPECT_TRUE(ui.boxes.empty());

  Load(
      "COMMANDS { SHELLEXECUTE { name=\"Bad\" shellcmd=\"zan-missing-tool\" "
      "failmsg=\"Cannot start\" } }");
  ExecuteCommand(toolbar, Command("Bad"), "");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Cannot start");
}

TEST(ExpandShellVariablesTest, OrderAndForms) {
  EXPECT_EQ(ExpandShellVariables("%ProgramFiles%%COMSPEC%", "P", "C"), "PC");
  // A value holding a later placeholder is expanded by it.
  EXPECT_EQ(ExpandShellVariables("%ProgramFiles%", "%COMSPEC%", "C"), "C");
  EXPECT_EQ(ExpandShellVariables("%COMSPEC%", "P", "%COMSPEC%"), "%COMSPEC%");
}

}  // namespace
}  // namespace zan::test
