#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "browser/chevron_layout.h"
#include "browser/command_ids.h"
#include "tests/browser/toolbar_window_fixture.h"

namespace zan {
namespace {

using test::CommandRun;

TEST(ChevronLayoutTest, ButtonsAfterTheLastSearchBoxOverflowInOrder) {
  struct Row {
    const char* name;
    std::vector<int> widths;
    int last_kept;
    int available;
    int first;
  };
  const Row rows[] = {
      {"all fit", {50, 100, 40, 40}, 1, 300, -1},
      {"exactly fit", {50, 100, 40, 40}, 1, 230, -1},
      {"last one out", {50, 100, 40, 40}, 1, 229, 3},
      // The chevron takes room: 50+100+40+16 > 200.
      {"two out", {50, 100, 40, 40}, 1, 200, 2},
      {"search box never leaves", {50, 100, 40, 40}, 1, 20, 2},
      {"no search box: all may leave", {50, 100}, -1, 10, 0},
      {"hidden buttons take no room", {50, 0, 100, 0, 40}, 2, 190, -1},
      {"a hidden button is skipped", {50, 100, 0, 40}, 1, 170, 3},
      {"only hidden after the box", {50, 100, 0}, 1, 10, -1},
      {"empty", {}, -1, 0, -1},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FirstOverflowButton(row.widths, row.last_kept, row.available),
              row.first)
        << row.name;
  }
}

class ChevronTest : public test::ToolbarWindowFixture {
 protected:
  ChevronTest() { toolbar->SetBrowser(&browser); }
};

// Widths on the recording view: 23 + 7 per character; the box is 50% of
// the total.
constexpr char kWideToolbar[] = R"(RYX_Toolbar {
  BUTTON { caption="Home" command="A" }
  COMBO { name="q" width="50" }
  BUTTON { caption="Go" command="A" hint="go there" }
  SEPARATOR
  BUTTON { caption="Mark" command="Mark" }
  BUTTON {
    caption="Split" command="B"
    MENU { type="Split"
      MENUITEM { caption="SIDEBAR!Banner" }
      MENUITEM { caption="Bee" command="B" hint="bee hint" } }
  }
  WEBPAGE { name="P" url="p.html" width="40" }
  BUTTON {
    caption="Whole"
    MENU { type="Single" MENUITEM { caption="Ay" command="A" } }
  }
  COMMANDS {
    GOTOURL { name="A" url="http://a/" }
    GOTOURL { name="B" url="http://b/" }
    SERVICECOMMAND { name="Mark" type="Highlight" }
  }
})";

TEST_F(ChevronTest, NarrowToolbarMovesTheTailIntoTheChevron) {
  Load(kWideToolbar);
  const int total = toolbar->VisibleWidth();
  // Unknown width: nothing moves; the minimum covers the box and the
  // chevron.
  EXPECT_EQ(view.first_overflow, -1);
  const int minimum = toolbar->MinimumWidth();
  EXPECT_EQ(minimum, view.GetItemRect(1)->right);
  EXPECT_EQ(view.minimum_width, minimum + kChevronButtonWidth);

  toolbar->OnToolbarResized(total);
  EXPECT_EQ(view.first_overflow, -1);
  EXPECT_TRUE(view.panes[0]->shown);

  // Room for Home, the box and Go only.
  toolbar->OnToolbarResized(view.GetItemRect(2)->right + kChevronButtonWidth);
  EXPECT_EQ(toolbar->first_overflow(), 3);
  EXPECT_EQ(view.first_overflow, 3);
  EXPECT_FALSE(view.panes[0]->shown);  // the pane leaves with its button

  PopupMenu menu = toolbar->BuildChevronMenu();
  // The leading separator is dropped, the pane stays out.
  ASSERT_EQ(menu.entries.size(), 3u);
  EXPECT_EQ(menu.entries[0].id, ButtonCommandId(4));  // Mark, disabled
  EXPECT_EQ(menu.entries[0].data.text, "Mark");
  EXPECT_TRUE(menu.entries[0].IsDisabled());
  // A split button: its own command first, then its menu without banner.
  const PopupMenuEntry& split = menu.entries[1];
  ASSERT_TRUE(split.submenu);
  EXPECT_EQ(split.data.text, "Split");
  ASSERT_EQ(split.submenu->entries.size(), 3u);
  EXPECT_EQ(split.submenu->entries[0].id, ButtonCommandId(5));
  EXPECT_TRUE(split.submenu->entries[1].IsSeparator());
  EXPECT_EQ(split.submenu->entries[2].id, MenuCommandId(5, 1));
  EXPECT_FALSE(split.submenu->entries[2].StartsColumn());
  // A whole drop-down: only its menu.
  const PopupMenuEntry& whole = menu.entries[2];
  ASSERT_TRUE(whole.submenu);
  ASSERT_EQ(whole.submenu->entries.size(), 1u);
  EXPECT_EQ(whole.submenu->entries[0].id, MenuCommandId(7, 0));

  // The chevron shows the menu below itself; each entry runs what the
  // button or its menu runs.
  view.choose_id = ButtonCommandId(5);
  toolbar->OnChevron(Rect{300, 2, 316, 24});
  EXPECT_EQ(view.menu_point, (Point{300, 24}));
  view.choose_id = MenuCommandId(5, 1);
  toolbar->OnChevron(Rect{});
  view.choose_id = MenuCommandId(7, 0);
  toolbar->OnChevron(Rect{});
  EXPECT_EQ(runs,
            (std::vector<CommandRun>{{1, false}, {1, false}, {0, false}}));
  // The status bar shows the button's hint; a button not in the shown
  // menu does not run.
  toolbar->OnMenuSelect(ButtonCommandId(5), false);
  toolbar->OnMenuCommand(ButtonCommandId(0));
  EXPECT_EQ(runs.size(), 3u);

  // Narrower than the minimum: the box stays, everything after it leaves.
  toolbar->OnToolbarResized(10);
  EXPECT_EQ(toolbar->first_overflow(), 2);
  // Wide again: all back, the pane too.
  toolbar->OnToolbarResized(total + 100);
  EXPECT_EQ(view.first_overflow, -1);
  EXPECT_TRUE(view.panes[0]->shown);
}

// A toolbar of `items` buttons whose last one has a menu of `entries`
// entries.
std::string ManyItems(int items, int entries) {
  std::string text = "RYX_Toolbar {\n";
  for (int i = 0; i + 1 < items; ++i) text += "SEPARATOR\n";
  text += "BUTTON { caption=\"Big\" MENU { type=\"Single\"\n";
  for (int k = 0; k < entries; ++k) {
    text += "MENUITEM { caption=\"E" + std::to_string(k) + "\" command=\"C" +
            std::to_string(k % 2) + "\" hint=\"h" + std::to_string(k) +
            "\" }\n";
  }
  text +=
      "} }\nCOMMANDS { GOTOURL { name=\"C0\" url=\"http://0/\" }\n"
      "GOTOURL { name=\"C1\" url=\"http://1/\" } }\n}";
  return text;
}

TEST_F(ChevronTest, EveryMenuEntryOfEveryItemRuns) {
  struct Row {
    int items;
    int entries;
  };
  // Item 26 reaches the mailbox identifiers at entry 200, item 27 lies past
  // them, item 81 past 16 bits; an item's block holds 800 entries.
  for (Row row : {Row{27, 260}, Row{28, 3}, Row{82, 2}, Row{1, 803}}) {
    SCOPED_TRACE(std::to_string(row.items) + " items");
    runs.clear();
    Load(ManyItems(row.items, row.entries));
    const int item = row.items - 1;
    std::optional<PopupMenu> menu = toolbar->BuildItemMenu(item);
    ASSERT_TRUE(menu);
    ASSERT_EQ(static_cast<int>(menu->entries.size()), row.entries);
    std::set<int> ids;
    for (int k = 0; k < row.entries; ++k) {
      const int id = menu->entries[static_cast<size_t>(k)].id;
      EXPECT_TRUE(ids.insert(id).second) << "entry " << k;
      EXPECT_GT(id, 0);
      EXPECT_LE(id, 0xFFFF);
      if (MenuEntryIdFits(item, k)) {
        EXPECT_EQ(id, MenuCommandId(item, k));
      }
      EXPECT_FALSE(id >= kFirstMailboxId && id <= kLastCommandId)
          << "entry " << k << " would be a mailbox";
    }
    // Choosing each entry runs its command.
    view.choose_id = 0;
    toolbar->OnDropDown(ButtonCommandId(item), Rect{});
    std::vector<CommandRun> expected;
    for (int k = 0; k < row.entries; ++k) {
      const int id = menu->entries[static_cast<size_t>(k)].id;
      toolbar->OnMenuSelect(id, false);
      EXPECT_EQ(browser.status_texts.back(), "h" + std::to_string(k));
      toolbar->OnMenuCommand(id);
      expected.push_back(CommandRun{k % 2, false});
    }
    EXPECT_EQ(runs, expected);
  }
  // Identifiers from the block stay as they were.
  EXPECT_TRUE(MenuEntryIdFits(26, 199));
  EXPECT_FALSE(MenuEntryIdFits(26, 200));
  EXPECT_FALSE(MenuEntryIdFits(27, 0));
  EXPECT_FALSE(MenuEntryIdFits(0, 800));
  EXPECT_FALSE(MenuEntryIdFits(2000000000, 0));
}

}  // namespace
}  // namespace zan
