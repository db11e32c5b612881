#include "definition/button_menu.h"

#include <gtest/gtest.h>

#include <string>

#include "definition/toolbar_item.h"
#include "tests/definition/model_test_util.h"

namespace zan {
namespace {

using testing_util::Node;
using testing_util::OkBox;
using testing_util::RecordingUi;

std::string CaptionOf(const MenuEntry* entry) {
  if (entry == nullptr) return "<none>";
  switch (entry->GetEntryKind()) {
    case MenuEntryKind::kItem:
      return static_cast<const MenuItem*>(entry)->caption;
    case MenuEntryKind::kSubMenu:
      return static_cast<const SubMenu*>(entry)->caption;
    case MenuEntryKind::kSeparator:
      return "<separator>";
  }
  return "";
}

TEST(ButtonMenuTest, LoadsEntriesInFileOrderAndReportsRejectedNames) {
  RecordingUi ui;
  ToolbarButton button;
  button.Load(*Node("BUTTON", {{"caption", "B"}},
                    Node("MENU",
                         {{"type", "Split"},
                          {"image", "face.bmp"},
                          {"hotimage", "hot.bmp"},
                          {"caption", "c"},
                          {"command", "x"},
                          {"hint", "h"}},
                         Node("MENUITEM", {{"caption", "SIDEBAR!Panel"},
                                           {"command", "Open"},
                                           {"hint", "tip"},
                                           {"type", "t"}}),
                         Node("MENUSEPARATOR", {{"anything", "goes"}}),
                         Node("SUBMENU",
                              {{"caption", "More"},
                               {"image", "3"},
                               {"command", "c"},
                               {"hint", "h"},
                               {"type", "t"}},
                              Node("MENUITEM", {{"image", "12"}})),
                         Node("BUTTON", {}))),
              ui);
  const ButtonMenu& menu = button.menu;
  EXPECT_EQ(menu.type, "Split");
  EXPECT_EQ(menu.image, "face.bmp");
  EXPECT_EQ(menu.hotimage, "hot.bmp");
  ASSERT_EQ(menu.entries.size(), 3u);
  EXPECT_EQ(menu.entries[0]->GetEntryKind(), MenuEntryKind::kItem);
  EXPECT_EQ(menu.entries[1]->GetEntryKind(), MenuEntryKind::kSeparator);
  EXPECT_EQ(menu.entries[2]->GetEntryKind(), MenuEntryKind::kSubMenu);
  // (Which field each property fills is the golden dump's check.)
  EXPECT_EQ(menu.entries[0]->GetImage(), -2);
  const auto& sub = static_cast<const SubMenu&>(*menu.entries[2]);
  EXPECT_TRUE(sub.command.empty());
  ASSERT_EQ(sub.entries.size(), 1u);
  EXPECT_EQ(sub.entries[0]->GetImage(), 12);
  EXPECT_EQ(
      ui.boxes,
      (std::vector{OkBox("TBDL Button Menu", "Invalid property caption"),
                   OkBox("TBDL Button Menu", "Invalid property command"),
                   OkBox("TBDL Button Menu", "Invalid property hint"),
                   OkBox("TBDL Command button", "Invalid property type"),
                   OkBox("TBDL button sub menu ", "Invalid property command"),
                   OkBox("TBDL button sub menu ", "Invalid property hint"),
                   OkBox("TBDL button sub menu ", "Invalid property type")}));
}

TEST(ButtonMenuTest, SidebarOnlyForItemsWithThePrefix) {
  MenuItem item;
  for (const auto& [caption, sidebar] :
       std::vector<std::pair<std::string, bool>>{{"SIDEBAR!", true},
                                                 {"SIDEBAR!x", true},
                                                 {"SIDEBAR", false},
                                                 {"sidebar!x", false},
                                                 {" SIDEBAR!x", false},
                                                 {"", false}}) {
    item.caption = caption;
    EXPECT_EQ(item.IsSidebar(), sidebar) << caption;
  }
  SubMenu sub;
  sub.caption = "SIDEBAR!x";
  EXPECT_FALSE(sub.IsSidebar());
}

TEST(ButtonMenuTest, NumbersChildrenBeforeTheirSubmenu) {
  RecordingUi ui;
  ToolbarButton button;
  button.Load(*Node("BUTTON", {},
                    Node("MENU", {}, Node("MENUITEM", {{"caption", "first"}}),
                         Node("SUBMENU", {{"caption", "sub"}},
                              Node("MENUITEM", {{"caption", "second"}}),
                              Node("MENUITEM", {{"caption", "third"}})),
                         Node("MENUITEM", {{"caption", "fourth"}}),
                         Node("MENUSEPARATOR", {}),
                         Node("SUBMENU", {{"caption", "outer"}},
                              Node("SUBMENU", {{"caption", "inner"}},
                                   Node("MENUITEM", {{"caption", "deep"}}))),
                         Node("MENUITEM", {{"caption", "last"}}))),
              ui);
  const char* expected[] = {"first",       "second", "third", "sub",   "fourth",
                            "<separator>", "deep",   "inner", "outer", "last"};
  for (uint32_t n = 0; n < std::size(expected); ++n) {
    EXPECT_EQ(CaptionOf(button.FindMenuEntry(n)), expected[n]) << n;
  }
  EXPECT_EQ(button.FindMenuEntry(std::size(expected)), nullptr);
  EXPECT_EQ(button.FindMenuEntry(799), nullptr);
  EXPECT_EQ(button.FindMenuEntry(0xFFFFFFFFu), nullptr);

  ToolbarButton plain;
  EXPECT_EQ(plain.FindMenuEntry(0), nullptr);
}

TEST(ButtonMenuTest, ButtonWritesItsMenuOnlyWithEntriesOrAnImage) {
  RecordingUi ui;
  ToolbarButton button;
  button.Load(*Node("BUTTON", {}, Node("MENU", {{"type", "Split"}})), ui);
  EXPECT_EQ(DumpToString(button, 1), "\tBUTTON {image=\"-2\" }\n");
  button.menu.image = "face.bmp";
  EXPECT_EQ(DumpToString(button, 1),
            "\tBUTTON {image=\"-2\" \n"
            "\t\tMENU {type=\"Split\" image=\"face.bmp\" }\n"
            "}\n");
}

}  // namespace
}  // namespace zan
