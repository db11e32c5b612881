#include "definition/toolbar_command.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/definition/model_test_util.h"

namespace zan {
namespace {

using testing_util::Node;
using testing_util::OkBox;
using testing_util::RecordingUi;

TEST(CommandSetTest, FactoriesInFileOrderAcrossKinds) {
  RecordingUi ui;
  CommandSet set;
  set.Load(
      *Node("COMMANDS", {{"name", "ignored"}},
            Node("SERVICECOMMAND",
                 {{"name", "Mail"}, {"type", "CheckMail"}, {"caption", "c"}}),
            Node("GOTOURL", {{"name", "Search"},
                             {"url", "http://x/?q=%q"},
                             {"post", "p"},
                             {"target", "_blank"},
                             {"options", "o"},
                             {"newwindow", "1"}}),
            Node("BUTTON", {}),
            Node("SHELLEXECUTE", {{"name", "Run"},
                                  {"shellcmd", R"(prog \"a b\")"},
                                  {"failmsg", "Cannot run"}})),
      ui);
  EXPECT_EQ(ui.boxes,
            std::vector{OkBox("TBDLLoad",
                              "Invalid part declared in COMMANDS section!")});
  ASSERT_EQ(set.commands.size(), 3u);
  EXPECT_EQ(set.commands[0]->GetCommandKind(), CommandKind::kService);
  EXPECT_EQ(set.commands[1]->GetCommandKind(), CommandKind::kGoToUrl);
  EXPECT_EQ(set.commands[2]->GetCommandKind(), CommandKind::kShellExecute);

  // The other fields are in the golden dump; the default definition has no
  // options.
  const auto& go = static_cast<const GoToUrlCommand&>(*set.commands[1]);
  EXPECT_EQ(go.options, "o");
  for (const auto& command : set.commands) EXPECT_TRUE(command->Prepare());
}

TEST(CommandSetTest, RejectedNamesPerKind) {
  struct Row {
    const char* keyword;
    const char* property;
    const char* caption;
  };
  const Row rows[] = {
      {"GOTOURL", "caption", "TBDL GoToURL"},
      {"GOTOURL", "Name", "TBDL GoToURL"},
      {"SHELLEXECUTE", "url", "TBDL shell execute command"},
      {"SERVICECOMMAND", "url", "TBDL Service Command"},
  };
  for (const Row& row : rows) {
    RecordingUi ui;
    CommandSet set;
    set.Load(*Node("COMMANDS", {},
                   Node(row.keyword, {{"name", "n"}, {row.property, "v"}})),
             ui);
    ASSERT_EQ(set.commands.size(), 1u);
    EXPECT_EQ(set.commands[0]->name, "n");
    EXPECT_EQ(ui.boxes,
              std::vector{OkBox(row.caption, std::string("Invalid property ") +
                                                 row.property)})
        << row.keyword;
  }
}

TEST(CommandSetTest, UsesMacros) {
  GoToUrlCommand go;
  EXPECT_FALSE(go.UsesMacros());
  go.url = "http://x/?q=%search";
  EXPECT_TRUE(go.UsesMacros());
  go.url = "http://x/";
  go.post = "q=%search";
  EXPECT_TRUE(go.UsesMacros());
  go.post = "q=1";
  go.target = "%";
  go.options = "%";
  EXPECT_FALSE(go.UsesMacros());
  ShellExecuteCommand shell;
  shell.shellcmd = "%x%";
  EXPECT_FALSE(shell.UsesMacros());
  ServiceCommand service;
  service.caption = "%";
  EXPECT_FALSE(service.UsesMacros());
}

TEST(CommandSetTest, CloneCopiesEveryKind) {
  RecordingUi ui;
  CommandSet set;
  set.Load(
      *Node("COMMANDS", {},
            Node("GOTOURL", {{"name", "g"}, {"url", "u"}, {"newwindow", "1"}}),
            Node("SHELLEXECUTE", {{"name", "run"}, {"shellcmd", "ls"}}),
            Node("SERVICECOMMAND", {{"type", "Update"}})),
      ui);
  ASSERT_EQ(set.commands.size(), 3u);
  for (const auto& command : set.commands) {
    std::unique_ptr<ToolbarCommand> copy = command->Clone();
    EXPECT_NE(copy.get(), command.get());
    EXPECT_EQ(copy->GetCommandKind(), command->GetCommandKind());
    EXPECT_EQ(DumpToString(*copy), DumpToString(*command));
  }
}

}  // namespace
}  // namespace zan
