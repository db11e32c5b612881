#include "definition/toolbar_item.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/definition/model_test_util.h"

namespace zan {
namespace {

using testing_util::Node;
using testing_util::OkBox;
using testing_util::RecordingUi;

TEST(ToolbarItemTest, DefaultsAndKinds) {
  struct Row {
    const char* keyword;
    ItemKind kind;
    int32_t image;
  };
  const Row rows[] = {
      {"TEXT", ItemKind::kText, -2},
      {"COMBO", ItemKind::kCombo, -2},
      {"BUTTON", ItemKind::kButton, -2},
      {"WEBPAGE", ItemKind::kWebPage, -2},
      {"SEPARATOR", ItemKind::kSeparator, -2},
      {"INDICATOR", ItemKind::kIndicator, -1},
  };
  for (const Row& row : rows) {
    RecordingUi ui;
    ToolbarItemList items;
    ASSERT_TRUE(LoadToolbarItem(*Node(row.keyword, {}), items, ui));
    ASSERT_EQ(items.size(), 1u);
    const ToolbarItem& item = *items[0];
    EXPECT_EQ(item.GetKind(), row.kind) << row.keyword;
    EXPECT_EQ(item.image, row.image) << row.keyword;
    EXPECT_EQ(item.GetImage(), row.image) << row.keyword;
    EXPECT_EQ(item.item_index, -2);
    EXPECT_EQ(item.command_index, -2);
    EXPECT_TRUE(item.caption.empty() && item.hint.empty() &&
                item.command.empty());
    EXPECT_EQ(item.FindMenuEntry(0), nullptr);
    EXPECT_TRUE(ui.boxes.empty());
  }
  RecordingUi ui;
  ToolbarItemList items;
  EXPECT_FALSE(LoadToolbarItem(*Node("COMMANDS", {}), items, ui));
  EXPECT_FALSE(LoadToolbarItem(*Node("button", {}), items, ui));
  EXPECT_TRUE(items.empty());
}

TEST(ToolbarItemTest, ButtonPropertiesAndDiagnostics) {
  RecordingUi ui;
  ToolbarButton button;
  button.Load(*Node("BUTTON", {{"caption", "First"},
                               {"image", "7"},
                               {"caption", R"(Two\nlines)"},
                               {"hint", R"(say \"hi\")"},
                               {"command", "Search"},
                               {"type", "Split"},
                               {"Caption", "x"}}),
              ui);
  EXPECT_EQ(button.caption, "Two\nlines");
  EXPECT_EQ(button.GetName(), "Two\nlines");
  EXPECT_EQ(button.image, 7);
  EXPECT_EQ(button.hint, "say \"hi\"");
  EXPECT_EQ(button.command, "Search");
  EXPECT_EQ(ui.boxes,
            (std::vector{OkBox("TBDL Button", "Invalid property type"),
                         OkBox("TBDL Button", "Invalid property Caption")}));
  EXPECT_TRUE(button.OnProperty("hint", "h", ui));
  EXPECT_FALSE(button.OnProperty("name", "n", ui));
}

TEST(ToolbarItemTest, DiagnosticCaptionPerElement) {
  struct Row {
    const char* keyword;
    const char* property;
    const char* caption;  // null: no box
  };
  const Row rows[] = {
      {"BUTTON", "url", "TBDL Button"},
      {"TEXT", "url", "TBDL Button"},
      {"INDICATOR", "url", "TBDL Indicator"},
      {"INDICATOR", "addimg6", "TBDL Indicator"},
      {"INDICATOR", "param0", "TBDL Indicator"},
      {"COMBO", "url", "TBDL Combo"},
      {"WEBPAGE", "caption", "TBDL Webpage button"},
      {"WEBPAGE", "image", "TBDL Webpage button"},
      {"SEPARATOR", "url", nullptr},
  };
  for (const Row& row : rows) {
    RecordingUi ui;
    ToolbarItemList items;
    LoadToolbarItem(*Node(row.keyword, {{row.property, "v"}}), items, ui);
    if (row.caption == nullptr) {
      EXPECT_TRUE(ui.boxes.empty()) << row.keyword;
    } else {
      EXPECT_EQ(ui.boxes, std::vector{OkBox(
                              row.caption,
                              std::string("Invalid property ") + row.property)})
          << row.keyword << " " << row.property;
    }
  }
}

// Which field each property fills is the golden dump's check; here what
// loading derives or refuses beyond copying a value.
TEST(ToolbarItemTest, PartsAndDerivedValues) {
  RecordingUi ui;
  ToolbarIndicator indicator;
  indicator.Load(*Node("INDICATOR", {{"addimg5", "9"}}), ui);
  EXPECT_EQ(indicator.additional_images[0], -1);
  EXPECT_EQ(indicator.GetImage(), -1);
  indicator.evaluated_image = 3;
  EXPECT_EQ(indicator.GetImage(), 3);

  // A COMBO holds COMBOVALUEs only; a value has no hint.
  ToolbarCombo combo;
  combo.Load(*Node("COMBO", {{"password", "yes"}},
                   Node("COMBOVALUE", {{"caption", "One"}, {"value", "1"}}),
                   Node("MENU", {}),
                   Node("COMBOVALUE", {{"caption", "Two"}, {"hint", "h"}})),
             ui);
  EXPECT_EQ(combo.password, 0);
  ASSERT_EQ(combo.values.size(), 2u);
  EXPECT_EQ(combo.values[1]->caption, "Two");
  EXPECT_EQ(
      ui.boxes,
      (std::vector{OkBox("TBDL Combo", "Invalid part declared in COMBO!"),
                   OkBox("TBDLLoad Combo Value", "Invalid property hint")}));

  // A pane is dynamic when its address holds a page macro, in lower case.
  ToolbarWebPage page;
  for (const char* url : {"http://x/?u=%url", "a%domain", "%newdomain"}) {
    page.url = url;
    EXPECT_TRUE(page.HasDynamicUrl()) << url;
  }
  page.url = "http://x/%URL%dom";
  EXPECT_FALSE(page.HasDynamicUrl());
}

TEST(ToolbarItemTest, CloneCopiesEveryKindDeeply) {
  RecordingUi ui;
  ToolbarItemList items;
  LoadToolbarItem(*Node("BUTTON", {{"caption", "B"}, {"image", "1"}},
                        Node("MENU", {{"type", "Split"}},
                             Node("MENUITEM", {{"caption", "i"}}),
                             Node("SUBMENU", {{"caption", "s"}},
                                  Node("MENUITEM", {{"caption", "inner"}})))),
                  items, ui);
  LoadToolbarItem(
      *Node("COMBO", {{"name", "q"}}, Node("COMBOVALUE", {{"caption", "c"}})),
      items, ui);
  LoadToolbarItem(*Node("TEXT", {{"caption", "t"}}), items, ui);
  LoadToolbarItem(*Node("INDICATOR", {{"type", "POP3"}, {"addimg3", "2"}}),
                  items, ui);
  LoadToolbarItem(*Node("WEBPAGE", {{"url", "u"}}), items, ui);
  LoadToolbarItem(*Node("SEPARATOR", {}), items, ui);
  for (const auto& item : items) {
    std::unique_ptr<ToolbarItem> copy = item->Clone();
    EXPECT_EQ(copy->GetKind(), item->GetKind());
    EXPECT_EQ(DumpToString(*copy), DumpToString(*item));
    EXPECT_NE(copy.get(), item.get());
  }
  auto& button = static_cast<ToolbarButton&>(*items[0]);
  auto copy = button.Clone();
  auto& copied = static_cast<ToolbarButton&>(*copy);
  ASSERT_EQ(copied.menu.entries.size(), 2u);
  EXPECT_NE(copied.menu.entries[0].get(), button.menu.entries[0].get());
  EXPECT_EQ(copied.menu.type, "Split");
  static_cast<MenuItem&>(*copied.menu.entries[0]).caption = "changed";
  EXPECT_EQ(static_cast<MenuItem&>(*button.menu.entries[0]).caption, "i");
  auto& combo = static_cast<ToolbarCombo&>(*items[1]);
  auto combo_copy = combo.Clone();
  EXPECT_NE(static_cast<ToolbarCombo&>(*combo_copy).values[0].get(),
            combo.values[0].get());
}

}  // namespace
}  // namespace zan
