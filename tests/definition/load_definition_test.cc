#include "definition/load_definition.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "definition/folder_resource_source.h"
#include "tests/definition/model_test_util.h"
#include "tests/support/temp_dir.h"

namespace zan {
namespace {

using testing_util::OkBox;
using testing_util::RecordingUi;

std::string DefaultDefinition() {
  const char* source = std::getenv("ZAN_SOURCE_DIR");
  return test::ReadWholeFile(std::string(source != nullptr ? source : ".") +
                             "/site/toolbar/ZAN.tbd");
}

// Loads `text` from memory and returns the dump, or "<failed>".
std::string LoadAndDump(const std::string& text, RecordingUi& ui) {
  ToolbarModelHolder holder;
  std::ostringstream diagnostics;
  holder.set_diagnostics(&diagnostics);
  if (!holder.LoadDefinitionFromBytes(text, ui)) return "<failed>";
  return DumpToString(*holder.model());
}

class LoadDefinitionTest : public ::testing::Test {
 protected:
  LoadDefinitionTest() { holder_.set_diagnostics(&diagnostics_); }

  void WriteImageLists() {
    dir_.WriteFile("tbil.bmp", "BM");
    dir_.WriteFile("tbhotil.bmp", "BM");
  }

  test::TempDir dir_;
  std::ostringstream diagnostics_;
  RecordingUi ui_;
  ToolbarModelHolder holder_;
};

TEST_F(LoadDefinitionTest, LoadsTheFileFromTheResourceSource) {
  WriteImageLists();
  dir_.WriteFile("ZAN.tbd",
                 "RYX_Toolbar {\n"
                 "  BUTTON { caption=\"Go\" command=\"g\" image=\"1\" }\n"
                 "  COMMANDS { GOTOURL { name=\"g\" url=\"http://x/\" } }\n"
                 "}\n");
  FolderResourceSource resources(dir_.path());
  ASSERT_TRUE(holder_.LoadDefinition(resources, ui_));
  EXPECT_TRUE(ui_.boxes.empty());
  ASSERT_NE(holder_.model(), nullptr);
  ASSERT_EQ(holder_.model()->items.size(), 1u);
  EXPECT_EQ(holder_.model()->items[0]->caption, "Go");
  EXPECT_EQ(holder_.model()->commands.commands.size(), 1u);
  EXPECT_EQ(holder_.model()->image_list_file, "tbil.bmp");
  EXPECT_TRUE(diagnostics_.str().empty());
}

TEST_F(LoadDefinitionTest, EmptyToolbarStillNeedsBothImageLists) {
  dir_.WriteFile("ZAN.tbd", "RYX_Toolbar{}");
  FolderResourceSource resources(dir_.path());
  EXPECT_FALSE(holder_.LoadDefinition(resources, ui_));
  // The image lists are missing, which is not reported here, and the model
  // stays installed as loaded.
  EXPECT_TRUE(ui_.boxes.empty());
  ASSERT_NE(holder_.model(), nullptr);
  dir_.WriteFile("tbil.bmp", "BM");
  EXPECT_FALSE(holder_.LoadDefinition(resources, ui_));
  dir_.WriteFile("tbhotil.bmp", "BM");
  EXPECT_TRUE(holder_.LoadDefinition(resources, ui_));
  EXPECT_TRUE(holder_.model()->items.empty());
  EXPECT_TRUE(holder_.model()->commands.commands.empty());
}

TEST_F(LoadDefinitionTest, MissingFileLeavesAnEmptyModel) {
  WriteImageLists();
  dir_.WriteFile("ZAN.tbd", "RYX_Toolbar { BUTTON { caption=\"old\" } }");
  FolderResourceSource resources(dir_.path());
  ASSERT_TRUE(holder_.LoadDefinition(resources, ui_));
  ASSERT_EQ(holder_.model()->items.size(), 1u);

  FolderResourceSource elsewhere(dir_.File("missing"));
  EXPECT_FALSE(holder_.LoadDefinition(elsewhere, ui_));
  EXPECT_EQ(ui_.boxes, std::vector{OkBox(
                           "Error", "Unable to open toolbar definition file")});
  ASSERT_NE(holder_.model(), nullptr);
  EXPECT_TRUE(holder_.model()->items.empty());
}

TEST_F(LoadDefinitionTest, SyntaxErrorShowsTheLastTwoTokensAndEmptiesTheModel) {
  WriteImageLists();
  dir_.WriteFile("ZAN.tbd", "RYX_Toolbar { BUTTON { caption=\"old\" } }");
  FolderResourceSource resources(dir_.path());
  ASSERT_TRUE(holder_.LoadDefinition(resources, ui_));

  dir_.WriteFile("ZAN.tbd",
                 "RYX_Toolbar {\n  BUTTON { caption=\"Go\" Caption=\"x\" }\n}");
  EXPECT_FALSE(holder_.LoadDefinition(resources, ui_));
  EXPECT_EQ(ui_.boxes,
            std::vector{OkBox("Failed to parse toolbar definition file",
                              "caption \"Go\"")});
  EXPECT_NE(diagnostics_.str().find("Syntax error: parse error"),
            std::string::npos);
  ASSERT_NE(holder_.model(), nullptr);
  EXPECT_TRUE(holder_.model()->items.empty());
  EXPECT_TRUE(holder_.model()->commands.commands.empty());
}

TEST_F(LoadDefinitionTest, ReportsWhereTheParseStopped) {
  DefinitionParseReport report;
  EXPECT_FALSE(holder_.LoadDefinitionFromBytes(
      "RYX_Toolbar {\n BUTTON { caption=\"Go\" }\n BUTTON {# }\n}", ui_,
      &report));
  EXPECT_EQ(report.result, 1);
  EXPECT_EQ(report.line, 3);
  EXPECT_EQ(report.column, 10);
  EXPECT_EQ(report.message, "parse error");
  EXPECT_EQ(report.previous_token, "BUTTON");
  EXPECT_EQ(report.last_token, "{");

  EXPECT_TRUE(holder_.LoadDefinitionFromBytes("RYX_Toolbar {}", ui_, &report));
  EXPECT_EQ(report.result, 0);
}

TEST_F(LoadDefinitionTest, DiagnosticsInWalkOrderAndLoadingGoesOn) {
  const std::string text =
      "RYX_Toolbar {\n"
      "  name=\"x\"\n"
      "  BUTTON { caption=\"a\" MENU { caption=\"m\" MENUITEM { type=\"t\" } } "
      "}\n"
      "  WEBPAGE { url=\"u\" }\n"
      "  INDICATOR { addimg3=\"2\" }\n"
      "  COMMANDS { GOTOURL { name=\"g\" } }\n"
      "}";
  ASSERT_TRUE(holder_.LoadDefinitionFromBytes(text, ui_));
  EXPECT_EQ(
      ui_.boxes,
      (std::vector{OkBox("TBDL Button Menu", "Invalid property name"),
                   OkBox("TBDL Button Menu", "Invalid property caption"),
                   OkBox("TBDL Command button", "Invalid property type")}));
  EXPECT_EQ(holder_.model()->items.size(), 3u);
  EXPECT_EQ(holder_.model()->commands.commands.size(), 1u);
}

TEST_F(LoadDefinitionTest, CommandPositionsContinueAcrossSections) {
  ASSERT_TRUE(holder_.LoadDefinitionFromBytes(
      "RYX_Toolbar {\n"
      " COMMANDS { GOTOURL { name=\"a\" } SHELLEXECUTE { name=\"b\" } }\n"
      " BUTTON { command=\"c\" }\n"
      " BUTTON { command=\"a\" }\n"
      " BUTTON { command=\"none\" }\n"
      " COMMANDS { SERVICECOMMAND { name=\"c\" } GOTOURL { name=\"a\" } }\n"
      "}",
      ui_));
  ToolbarModel& model = *holder_.model();
  EXPECT_EQ(model.commands.commands.size(), 4u);
  EXPECT_EQ(model.FindCommandIndex("c"), 2);
  EXPECT_EQ(model.FindCommandIndex("a"), 0);
  model.ResolveItemCommands();
  EXPECT_EQ(model.items[0]->command_index, 2);
  EXPECT_EQ(model.items[1]->command_index, 0);
  EXPECT_EQ(model.items[2]->command_index, -1);
}

TEST_F(LoadDefinitionTest, ImageBlocksAreAcceptedAndIgnored) {
  ASSERT_TRUE(holder_.LoadDefinitionFromBytes(
      "RYX_Toolbar { BUTTON { image { loctype=\"file\" location=\"a.bmp\" }"
      " caption=\"a\" image=\"3\" MENU { MENUITEM { image { location=\"l\""
      " loctype=\"t\" } caption=\"m\" } SUBMENU { image { loctype=\"x\""
      " location=\"y\" } caption=\"s\" MENUITEM { } } } } }",
      ui_));
  EXPECT_TRUE(ui_.boxes.empty());
  const auto& button =
      static_cast<const ToolbarButton&>(*holder_.model()->items.at(0));
  EXPECT_EQ(button.caption, "a");
  EXPECT_EQ(button.image, 3);
  ASSERT_EQ(button.menu.entries.size(), 2u);
  EXPECT_EQ(static_cast<const MenuItem&>(*button.menu.entries[0]).caption, "m");
  EXPECT_EQ(static_cast<const SubMenu&>(*button.menu.entries[1]).caption, "s");
}

TEST(FolderResourceSourceTest, FindsOnlyReadableRegularFiles) {
  test::TempDir dir;
  dir.WriteFile("tbil.bmp", "BM");
  std::filesystem::create_directory(dir.File("folder"));
  FolderResourceSource resources(dir.path());
  std::string name = "tbil.bmp";
  EXPECT_TRUE(resources.DownloadResource(name));
  EXPECT_EQ(name, dir.File("tbil.bmp"));
  for (std::string missing : {"absent.bmp", "folder", ""}) {
    const std::string before = missing;
    EXPECT_FALSE(resources.DownloadResource(missing)) << before;
    EXPECT_EQ(missing, before);
  }
  FolderResourceSource with_slash(dir.path() + "/");
  name = "tbil.bmp";
  EXPECT_TRUE(with_slash.DownloadResource(name));
  EXPECT_EQ(name, dir.File("tbil.bmp"));
}

// The one place that pins the dump's format: the default definition's dump
// is kept in golden/ZAN.tbd.dump. After a deliberate change of the format or
// of the definition, write it again with
//   zan-tbd dump site/toolbar/ZAN.tbd > tests/definition/golden/ZAN.tbd.dump
TEST(DefinitionRoundTripTest, DefaultDefinitionDumpsAsItsGolden) {
  const char* source = std::getenv("ZAN_SOURCE_DIR");
  const std::string golden =
      test::ReadWholeFile(std::string(source != nullptr ? source : ".") +
                          "/tests/definition/golden/ZAN.tbd.dump");
  ASSERT_FALSE(golden.empty());
  RecordingUi ui;
  EXPECT_EQ(LoadAndDump(DefaultDefinition(), ui), golden);
  EXPECT_EQ(LoadAndDump(golden, ui), golden);
  EXPECT_TRUE(ui.boxes.empty());
}

// What the default definition does not show: commands blocks gathered at
// the end, a separator's properties left out, a menu's hot image.
TEST(DefinitionRoundTripTest, DumpGathersCommandsAndLeavesOutWhatIsUnused) {
  RecordingUi ui;
  EXPECT_EQ(LoadAndDump("RYX_Toolbar {\n"
                        "  BUTTON { MENU { hotimage=\"h.bmp\"\n"
                        "    MENUITEM { caption=\"A\" } } }\n"
                        "  SEPARATOR { caption=\"lost\" }\n"
                        "  COMMANDS { GOTOURL { name=\"a\" } }\n"
                        "  TEXT { }\n"
                        "  COMMANDS { SERVICECOMMAND { name=\"b\" } }\n"
                        "}",
                        ui),
            "RYX_Toolbar {\n"
            "\tBUTTON {image=\"-2\" \n"
            "\t\tMENU {hotimage=\"h.bmp\" \n"
            "\t\t\tMENUITEM {caption=\"A\" image=\"-2\" }\n"
            "}\n"
            "}\n"
            "\tSEPARATOR\n"
            "\tTEXT {}\n"
            "\tCOMMANDS {\n"
            "\t\tGOTOURL {name=\"a\" }\n"
            "\t\tSERVICECOMMAND {name=\"b\" }\n"
            "}\n"
            "}");
}

TEST(DefinitionRoundTripTest, DumpsThatTheGrammarRejectsKeepTheirFormat) {
  RecordingUi ui;
  // No commands: an empty COMMANDS block, which does not load again.
  const std::string no_commands = LoadAndDump("RYX_Toolbar { TEXT { } }", ui);
  EXPECT_EQ(no_commands, "RYX_Toolbar {\n\tTEXT {}\n\tCOMMANDS {}\n}");
  EXPECT_EQ(LoadAndDump(no_commands, ui), "<failed>");
  // A block whose string values are all empty is written as an empty block.
  const std::string empty_values = LoadAndDump(
      "RYX_Toolbar { COMBO { name=\"\" COMBOVALUE { value=\"\" } } "
      "COMMANDS { GOTOURL { url=\"\" } } }",
      ui);
  EXPECT_EQ(empty_values,
            "RYX_Toolbar {\n"
            "\tCOMBO {maxhistlines=\"0\" maxchars=\"0\" password=\"0\" \n"
            "\t\tCOMBOVALUE {}\n"
            "}\n"
            "\tCOMMANDS {\n"
            "\t\tGOTOURL {}\n"
            "}\n"
            "}");
  EXPECT_EQ(LoadAndDump(empty_values, ui), "<failed>");
  EXPECT_TRUE(ui.boxes.size() == 2u);  // the two failed parses
}

TEST(DefaultDefinitionTest, LoadsWithoutDiagnosticsAndUsesEveryFeature) {
  const std::string text = DefaultDefinition();
  ASSERT_FALSE(text.empty());
  RecordingUi ui;
  ToolbarModelHolder holder;
  ASSERT_TRUE(holder.LoadDefinitionFromBytes(text, ui));
  EXPECT_TRUE(ui.boxes.empty());
  ToolbarModel& model = *holder.model();

  std::set<ItemKind> kinds;
  bool value_list_combo = false, history_combo = false, pop3 = false;
  bool separator_block = false;
  for (const auto& item : model.items) {
    kinds.insert(item->GetKind());
    if (item->GetKind() == ItemKind::kCombo) {
      const auto& combo = static_cast<const ToolbarCombo&>(*item);
      (combo.values.empty() ? history_combo : value_list_combo) = true;
    }
    if (item->GetKind() == ItemKind::kIndicator) {
      pop3 |= static_cast<const ToolbarIndicator&>(*item).type == "POP3";
    }
    separator_block |=
        item->GetKind() == ItemKind::kSeparator && !item->hint.empty();
  }
  EXPECT_EQ(kinds.size(), 6u);
  EXPECT_TRUE(value_list_combo && history_combo && pop3 && separator_block);

  // Every element and every menu entry names an existing command.
  std::vector<const MenuEntry*> entries;
  bool sidebar = false, submenu = false, menu_separator = false;
  for (size_t i = 0; i < model.items.size(); ++i) {
    const ToolbarItem& item = *model.items[i];
    if (item.GetKind() != ItemKind::kSeparator &&
        item.GetKind() != ItemKind::kWebPage &&
        item.GetKind() != ItemKind::kText) {
      EXPECT_GE(model.FindCommandIndex(item.command), 0) << item.command;
    }
    for (uint32_t n = 0;; ++n) {
      const MenuEntry* entry = model.FindMenuEntry(
          kFirstMenuCommandId +
          kMenuCommandIdsPerItem * static_cast<uint32_t>(i) + n);
      if (entry == nullptr) break;
      sidebar |= entry->IsSidebar();
      submenu |= entry->GetEntryKind() == MenuEntryKind::kSubMenu;
      menu_separator |= entry->GetEntryKind() == MenuEntryKind::kSeparator;
      if (entry->GetEntryKind() == MenuEntryKind::kItem) {
        EXPECT_GE(model.FindCommandIndex(entry->command), 0) << entry->command;
      }
    }
  }
  EXPECT_TRUE(sidebar && submenu && menu_separator);

  std::set<CommandKind> command_kinds;
  std::set<std::string> services;
  bool post_search = false, get_search = false;
  for (const auto& command : model.commands.commands) {
    command_kinds.insert(command->GetCommandKind());
    if (command->GetCommandKind() == CommandKind::kService) {
      services.insert(static_cast<const ServiceCommand&>(*command).type);
    }
    if (command->GetCommandKind() == CommandKind::kGoToUrl) {
      const auto& go = static_cast<const GoToUrlCommand&>(*command);
      if (go.url.starts_with("POST!search.html") && go.UsesMacros()) {
        post_search = true;
      }
      if (go.url.starts_with("search.html?q=%search")) get_search = true;
    }
  }
  EXPECT_EQ(command_kinds.size(), 3u);
  EXPECT_TRUE(post_search && get_search);
  EXPECT_EQ(services,
            (std::set<std::string>{"HideToolbar", "MessageBox", "Search",
                                   "ConfigurePOP3", "CheckMail", "ClearHistory",
                                   "ChangeProxy", "TogglePopupBlocking",
                                   "Highlight", "Uninstall", "Update"}));
  EXPECT_GE(model.FindItemByCommand("Highlight"), 0);
  EXPECT_GE(model.FindCommandIndex("GoToWebMailGate"), 0);
  model.RebuildReferenceLists();
  EXPECT_EQ(model.indicators.size(), 1u);
  EXPECT_EQ(model.dynamic_web_pages.size(), 1u);

  RecordingUi again;
  const std::string dump = DumpToString(model);
  EXPECT_EQ(LoadAndDump(dump, again), dump);
}

TEST(DefinitionNestingTest, DeepSubmenusLoadDumpAndNumber) {
  constexpr int kDepth = 1000;
  std::string text = "RYX_Toolbar { BUTTON { MENU {";
  for (int i = 0; i < kDepth; ++i) text += " SUBMENU {";
  text += " MENUITEM { caption=\"leaf\" }";
  for (int i = 0; i < kDepth; ++i) text += " }";
  text += " } } COMMANDS { SERVICECOMMAND { type=\"Search\" } } }";
  RecordingUi ui;
  ToolbarModelHolder holder;
  ASSERT_TRUE(holder.LoadDefinitionFromBytes(text, ui));
  const ToolbarModel& model = *holder.model();
  const MenuEntry* leaf = model.FindMenuEntry(kFirstMenuCommandId);
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->GetEntryKind(), MenuEntryKind::kItem);
  // Identifiers reach the first 800 entries; the menu itself numbers all.
  const MenuEntry* last_addressable =
      model.FindMenuEntry(kFirstMenuCommandId + kMenuCommandIdsPerItem - 1);
  ASSERT_NE(last_addressable, nullptr);
  EXPECT_EQ(last_addressable->GetEntryKind(), MenuEntryKind::kSubMenu);
  EXPECT_EQ(model.FindMenuEntry(kFirstMenuCommandId + kMenuCommandIdsPerItem),
            nullptr);
  const ToolbarItem& button = *model.items[0];
  ASSERT_NE(button.FindMenuEntry(kDepth), nullptr);
  EXPECT_EQ(button.FindMenuEntry(kDepth + 1), nullptr);
  const std::string dump = DumpToString(model);
  EXPECT_EQ(LoadAndDump(dump, ui), dump);
}

}  // namespace
}  // namespace zan
