#include "definition/toolbar_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/definition/model_test_util.h"

namespace zan {
namespace {

using testing_util::Node;
using testing_util::OkBox;
using testing_util::RecordingUi;

// A resource source that knows a fixed set of names and records each ask.
class ListedResources : public ResourceSource {
 public:
  explicit ListedResources(std::vector<std::string> known)
      : known_(std::move(known)) {}
  bool DownloadResource(std::string& name) override {
    asked.push_back(name);
    for (const auto& known : known_) {
      if (known == name) {
        name = "/site/" + name;
        return true;
      }
    }
    return false;
  }
  std::vector<std::string> asked;

 private:
  std::vector<std::string> known_;
};

DefinitionNode* SampleTree() {
  return Node(
      "RYXToolBar",
      {{"CLSID", "{x}"}, {"hotimage", "hot.bmp"}, {"company", "c"}},
      Node("BUTTON", {{"caption", "Menu"}, {"command", "Go"}},
           Node("MENU", {},
                Node("MENUITEM", {{"caption", "m0"}, {"command", "Run"}}),
                Node("MENUITEM", {{"caption", "m1"}}))),
      Node("COMMANDS", {},
           Node("GOTOURL", {{"name", "Go"}, {"url", "http://x/"}}),
           Node("SERVICECOMMAND", {{"name", "Go"}, {"type", "Update"}})),
      Node("TEXT", {{"caption", "label"}}),
      Node("COMBO", {{"name", "q"}, {"command", "Search"}}),
      Node("WEBPAGE", {{"name", "pane"}, {"url", "http://x/?u=%domain"}}),
      Node("WEBPAGE", {{"name", "static"}, {"url", "http://x/"}}),
      Node("SEPARATOR", {}), Node("UNKNOWN", {}),
      Node("INDICATOR", {{"type", "POP3"}, {"command", "Mail"}}),
      Node("COMMANDS", {},
           Node("SHELLEXECUTE", {{"name", "Run"}, {"shellcmd", "ls"}}),
           Node("GOTOURL", {{"name", "Search"}, {"url", "http://x/?q=%q"}})),
      Node("BUTTON", {{"caption", "Second"}},
           Node("MENU", {}, Node("MENUITEM", {{"caption", "n0"}}))));
}

TEST(ToolbarModelTest, WalksPropertiesItemsAndCommandSections) {
  RecordingUi ui;
  ToolbarModel model;
  model.Load(*SampleTree(), ui);
  EXPECT_EQ(
      ui.boxes,
      (std::vector{OkBox("TBDL Button Menu", "Invalid property CLSID"),
                   OkBox("TBDL Button Menu", "Invalid property company")}));
  EXPECT_EQ(model.image_list_file, "tbil.bmp");
  EXPECT_EQ(model.hot_image_list_file, "hot.bmp");
  std::vector<ItemKind> kinds;
  for (const auto& item : model.items) kinds.push_back(item->GetKind());
  EXPECT_EQ(kinds, (std::vector{ItemKind::kButton, ItemKind::kText,
                                ItemKind::kCombo, ItemKind::kWebPage,
                                ItemKind::kWebPage, ItemKind::kSeparator,
                                ItemKind::kIndicator, ItemKind::kButton}));
  ASSERT_EQ(model.commands.commands.size(), 4u);
  EXPECT_EQ(model.commands.commands[2]->name, "Run");

  EXPECT_EQ(model.FindCommandIndex("Go"), 0);
  EXPECT_EQ(model.FindCommandIndex("Run"), 2);
  EXPECT_EQ(model.FindCommandIndex("Search"), 3);
  EXPECT_EQ(model.FindCommandIndex("search"), -1);
  EXPECT_EQ(model.FindCommandIndex(""), -1);
  EXPECT_EQ(model.FindItemByCommand("Search"), 2);
  EXPECT_EQ(model.FindItemByCommand("Mail"), 6);
  EXPECT_EQ(model.FindItemByCommand("Run"), -1);  // only a menu entry names it
  EXPECT_EQ(model.FindItemByCommand(""), 1);      // the TEXT names no command

  for (const auto& item : model.items) EXPECT_EQ(item->command_index, -2);
  model.ResolveItemCommands();
  std::vector<int> indices;
  for (const auto& item : model.items) indices.push_back(item->command_index);
  EXPECT_EQ(indices, (std::vector{0, -1, 3, -1, -1, -1, -1, -1}));
}

TEST(ToolbarModelTest, ImageListFilesFromToolbarProperties) {
  RecordingUi ui;
  ToolbarModel model;
  model.Load(*Node("RYXToolBar", {{"image", R"(my\\il.bmp)"}}), ui);
  EXPECT_EQ(model.image_list_file, R"(my\il.bmp)");
  EXPECT_EQ(model.hot_image_list_file, "tbhotil.bmp");
  EXPECT_TRUE(ui.boxes.empty());
  model.OnProperty("name", "n", ui);
  model.OnProperty("UUID", "u", ui);
  EXPECT_EQ(ui.boxes,
            (std::vector{OkBox("TBDL Button Menu", "Invalid property name"),
                         OkBox("TBDL Button Menu", "Invalid property UUID")}));
}

TEST(ToolbarModelTest, FindMenuEntryByCommandIdentifier) {
  RecordingUi ui;
  ToolbarModel model;
  model.Load(*SampleTree(), ui);
  auto caption = [&](uint32_t id) -> std::string {
    const MenuEntry* entry = model.FindMenuEntry(id);
    return entry == nullptr ? "<none>"
                            : static_cast<const MenuItem*>(entry)->caption;
  };
  EXPECT_EQ(caption(2048), "m0");
  EXPECT_EQ(caption(2049), "m1");
  EXPECT_EQ(caption(2050), "<none>");
  EXPECT_EQ(caption(2847), "<none>");
  EXPECT_EQ(caption(2848), "<none>");  // item 1 is a TEXT
  EXPECT_EQ(caption(2048 + 800 * 7), "n0");
  EXPECT_EQ(caption(2048 + 800 * 7 + 1), "<none>");
  EXPECT_EQ(caption(2048 + 800 * 8), "<none>");  // past the last item
  EXPECT_EQ(caption(2047), "<none>");
  EXPECT_EQ(caption(1024), "<none>");
  EXPECT_EQ(caption(0), "<none>");
  EXPECT_EQ(caption(0xFFFFFFFFu), "<none>");
}

TEST(ToolbarModelTest, FetchResourcesFetchesBothImageListsByBareName) {
  ToolbarModel model;
  model.image_list_file.clear();
  ListedResources all({"tbil.bmp", "tbhotil.bmp"});
  EXPECT_TRUE(model.FetchResources(all));
  EXPECT_EQ(all.asked, (std::vector<std::string>{"tbil.bmp", "tbhotil.bmp"}));
  EXPECT_EQ(model.image_list_file, "tbil.bmp");
  EXPECT_EQ(model.hot_image_list_file, "tbhotil.bmp");

  ListedResources no_hot({"tbil.bmp"});
  EXPECT_FALSE(model.FetchResources(no_hot));
  ListedResources nothing({});
  EXPECT_FALSE(model.FetchResources(nothing));
  EXPECT_EQ(nothing.asked, std::vector<std::string>{"tbil.bmp"});

  model.hot_image_list_file = "hot.bmp";
  ListedResources custom({"tbil.bmp", "hot.bmp"});
  EXPECT_TRUE(model.FetchResources(custom));
  EXPECT_EQ(custom.asked, (std::vector<std::string>{"tbil.bmp", "hot.bmp"}));
}

TEST(ToolbarModelTest, RebuildReferenceLists) {
  RecordingUi ui;
  ToolbarModel model;
  model.Load(*SampleTree(), ui);
  model.RebuildReferenceLists();
  for (size_t i = 0; i < model.items.size(); ++i) {
    EXPECT_EQ(model.items[i]->item_index, static_cast<int32_t>(i));
  }
  ASSERT_EQ(model.indicators.size(), 1u);
  EXPECT_EQ(model.indicators[0], model.items[6].get());
  ASSERT_EQ(model.dynamic_web_pages.size(), 1u);
  EXPECT_EQ(model.dynamic_web_pages[0], model.items[3].get());
  EXPECT_TRUE(static_cast<ToolbarWebPage&>(*model.items[3]).dynamic);
  EXPECT_FALSE(static_cast<ToolbarWebPage&>(*model.items[4]).dynamic);
}

}  // namespace
}  // namespace zan
