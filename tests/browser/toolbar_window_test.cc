#include "browser/toolbar_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/band_object.h"
#include "browser/command_ids.h"
#include "browser/menu_builder.h"
#include "tests/browser/toolbar_window_fixture.h"
#include "tests/support/fake_document.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

using test::CommandRun;
using test::SiteDir;

class ToolbarWindowTest : public test::ToolbarWindowFixture {
 protected:
  ToolbarWindowTest() { toolbar->SetBrowser(&browser); }
};

constexpr char kThreeItems[] = R"(RYX_Toolbar {
  BUTTON { caption="One" image="3" command="First" }
  SEPARATOR
  BUTTON { caption="Two" command="Second" hint="the second" }
  COMMANDS {
    GOTOURL { name="First" url="http://one/" }
    GOTOURL { name="Second" url="http://two/" }
  }
})";

TEST_F(ToolbarWindowTest, AssemblesButtonSeparatorButton) {
  Load(kThreeItems);
  ASSERT_EQ(view.ButtonCount(), 3);
  EXPECT_EQ(view.buttons[0].desc,
            (ToolbarButtonDesc{3, 1024, kStateEnabled, 0x50, 0}));
  EXPECT_EQ(view.buttons[1].desc,
            (ToolbarButtonDesc{8, 1025, 0, kStyleSep, 0}));
  EXPECT_EQ(view.buttons[2].desc.command_id, 1026);
  EXPECT_EQ(view.buttons[2].desc.string_index, 1);
  EXPECT_EQ(view.font.face, "Tahoma");
  EXPECT_EQ(view.font.height, 13);
  EXPECT_EQ(view.font.weight, 400);
  EXPECT_EQ(view.font.pitch_and_family, 0x20);
  EXPECT_EQ(view.ex_style, kExStyleDrawDropDownArrows);
  // The image lists are square images of the strip's height.
  EXPECT_EQ(view.bitmap_size, (Size{16, 16}));
  EXPECT_EQ(view.image_width, 16);
  EXPECT_EQ(view.normal_file, SiteDir() + "/tbil.bmp");
  EXPECT_EQ(view.hot_file, SiteDir() + "/tbhotil.bmp");
  // Texts come from the items' captions; the separator is 8 pixels.
  EXPECT_EQ(view.strings, (std::vector<std::string>{"One", "Two"}));
  EXPECT_EQ(view.GetItemRect(1)->Width(), 8);
  EXPECT_EQ(toolbar->total_width(), (23 + 21) + 8 + (23 + 21));
  EXPECT_EQ(view.ideal_width, toolbar->total_width());
  EXPECT_EQ(view.autosize_count, 1);

  // A rebuild replaces every button.
  toolbar->AssembleToolbar();
  EXPECT_EQ(view.deleted, 3);
  EXPECT_EQ(view.ButtonCount(), 3);
}

TEST_F(ToolbarWindowTest, ClickRunsExecuteOrResetByCheckedState) {
  Load(R"(RYX_Toolbar {
    BUTTON { caption="Go" command="Go" }
    BUTTON { caption="Nothing" command="Missing" }
    BUTTON { caption="Mark" command="Mark" }
    COMMANDS {
      GOTOURL { name="Go" url="http://go/" }
      SERVICECOMMAND { name="Mark" type="Highlight" }
    }
  })");
  // The Highlight button starts disabled and unchecked.
  EXPECT_EQ(view.GetButtonState(1026) & (kStateEnabled | kStateChecked), 0);

  toolbar->OnButtonCommand(1024);
  toolbar->OnButtonCommand(1025);  // names no command: nothing runs
  view.CheckButton(1026, true);
  toolbar->OnButtonCommand(1026);
  view.CheckButton(1026, false);
  toolbar->OnButtonCommand(1026);
  toolbar->OnButtonCommand(1027);  // past the last item
  toolbar->OnButtonCommand(0x3FF);
  EXPECT_EQ(runs, (std::vector<CommandRun>{{0, false}, {1, true}, {1, false}}));
  EXPECT_EQ(toolbar->last_clicked_item(), 2);
  // No click toggles a button by itself.
  EXPECT_FALSE(view.IsButtonChecked(1024));
}

constexpr char kMenuToolbar[] = R"(RYX_Toolbar {
  BUTTON { caption="Plain" }
  BUTTON {
    caption="Menu"
    MENU {
      type="Split"
      MENUITEM { caption="SIDEBAR!Banner" }
      MENUITEM { caption="First" command="A" hint="first hint" image="2" }
      SUBMENU {
        caption="Sub"
        MENUITEM { caption="Inner" command="B" hint="inner hint" }
        MENUSEPARATOR
      }
      MENUITEM { caption="Ghost" command="NoSuchCommand" }
      MENUITEM { caption="Ext" command="B" }
    }
  }
  COMMANDS {
    GOTOURL { name="A" url="http://a/" }
    GOTOURL { name="B" url="http://b/" }
  }
})";

TEST_F(ToolbarWindowTest, MenusNumberEntriesAndRunTheirCommands) {
  Load(kMenuToolbar);
  EXPECT_EQ(view.buttons[1].desc.style,
            kStyleShowText | kStyleAutoSize | kStyleDropDown);
  std::optional<PopupMenu> menu = toolbar->BuildItemMenu(1);
  ASSERT_TRUE(menu);
  // item 1: identifiers 2848 + number; the submenu's children come first.
  ASSERT_EQ(menu->entries.size(), 5u);
  EXPECT_EQ(menu->entries[0].id, kSidebarId);
  // Without a "Toolbar Extension" value no entry carries the radio mark,
  // not even those without a command.
  for (const PopupMenuEntry& e : menu->entries) EXPECT_FALSE(e.checked);
  EXPECT_EQ(menu->entries[1].id, 2848 + 1);
  EXPECT_EQ(menu->entries[1].flags, kMenuFlagOwnerDraw | kMenuFlagMenuBreak);
  EXPECT_EQ(menu->entries[1].data.image, 2);
  EXPECT_EQ(menu->entries[1].data.tag, kMenuEntryTag);
  const PopupMenuEntry& sub = menu->entries[2];
  ASSERT_TRUE(sub.submenu);
  EXPECT_EQ(sub.flags, kMenuFlagOwnerDraw | kMenuFlagPopup);
  EXPECT_EQ(sub.submenu->entries[0].id, 2848 + 2);
  EXPECT_EQ(sub.submenu->entries[1].id, 2848 + 3);
  EXPECT_EQ(sub.submenu->entries[1].flags, 0x900);
  EXPECT_EQ(sub.submenu->entries[1].data.type, kMenuFlagSeparator);
  EXPECT_EQ(menu->entries[3].id, 2848 + 5);  // the submenu took 4
  EXPECT_EQ(menu->entries[4].id, 2848 + 6);

  // The drop-down shows the menu below the button and runs the choice.
  view.choose_id = 2848 + 2;
  toolbar->OnDropDown(1025, Rect{10, 20, 60, 42});
  EXPECT_EQ(view.menu_point, (Point{10, 42}));
  EXPECT_EQ(runs, (std::vector<CommandRun>{{1, false}}));
  toolbar->OnMenuCommand(2848 + 5);    // unknown command: nothing
  toolbar->OnMenuCommand(2848 + 99);   // no such entry: nothing
  toolbar->OnMenuCommand(kSidebarId);  // the banner runs nothing
  toolbar->OnMenuCommand(2848 + 1);
  EXPECT_EQ(runs, (std::vector<CommandRun>{{1, false}, {0, false}}));
  // A plain button has no menu entries to show.
  view.choose_id = 0;
  toolbar->OnDropDown(1024, Rect{});
  EXPECT_TRUE(view.shown_menu_ids.empty());
}

TEST_F(ToolbarWindowTest, ToolbarExtensionGetsTheRadioMark) {
  toolbar->SetToolbarExtension("B");
  Load(kMenuToolbar);
  std::optional<PopupMenu> menu = toolbar->BuildItemMenu(1);
  ASSERT_TRUE(menu);
  EXPECT_FALSE(menu->entries[1].checked);
  EXPECT_TRUE(menu->entries[4].checked);
  // Inside the submenu the mark goes to its own entry.
  EXPECT_TRUE(menu->entries[2].submenu->entries[0].checked);
}

TEST_F(ToolbarWindowTest, StatusTextsFollowTheMenuSelection) {
  Load(kMenuToolbar);
  struct Row {
    int id;
    bool popup;
    std::string text;
  };
  const Row rows[] = {
      {2848 + 1, false, "first hint"},
      {2848 + 2, false, "inner hint"},
      {2848 + 5, false, ""},  // entry without a hint
      {2848 + 4, true, ""},   // a submenu
      {0, false, ""},         // the menu closes
      {0x5A08, false, "Open web-front for POP3 mailbox"},
      {2848 + 700, false, ""},  // no entry
  };
  for (const Row& row : rows) {
    toolbar->OnMenuSelect(row.id, row.popup);
    ASSERT_FALSE(browser.status_texts.empty());
    EXPECT_EQ(browser.status_texts.back(), row.text) << row.id;
  }
  EXPECT_EQ(toolbar->GetTooltip(1024), "");
  EXPECT_EQ(toolbar->GetTooltip(2000), "");
}

TEST_F(ToolbarWindowTest, ButtonsHideByTheFlagNamedAfterTheirCommand) {
  settings().SetString("Second", "0");
  Load(kThreeItems);
  EXPECT_EQ(view.GetButtonState(1024) & kStateHidden, 0);
  EXPECT_NE(view.GetButtonState(1026) & kStateHidden, 0);
  EXPECT_EQ(toolbar->VisibleWidth(), (23 + 21) + 8);
  // Every refresh applies the rule again.
  settings().SetString("Second", "1");
  settings().SetString("First", "0");
  toolbar->RefreshAll();
  EXPECT_NE(view.GetButtonState(1024) & kStateHidden, 0);
  EXPECT_EQ(view.GetButtonState(1026) & kStateHidden, 0);
  EXPECT_EQ(toolbar->GetTooltip(1026), "the second");
}

TEST(ToolbarGeometryTest, PaneAndMenuImageWidths) {
  EXPECT_EQ(PaneRect(Rect{40, 0, 100, 22}, 150, 0), (Rect{40, 0, 190, 42}));
  EXPECT_EQ(PaneRect(Rect{40, 2, 100, 22}, 150, 1), (Rect{40, 2, 190, 22}));
  EXPECT_EQ(MenuImageButtonWidth(16, "Split"), 42);
  EXPECT_EQ(MenuImageButtonWidth(16, "None"), 28);
  EXPECT_EQ(MenuImageButtonWidth(16, "Single"), 36);
  EXPECT_EQ(MenuImageButtonWidth(16, ""), 36);
}

TEST_F(ToolbarWindowTest, MenuImageButtonsReserveTheirWidth) {
  Load(R"(RYX_Toolbar {
    BUTTON { caption="Pic" MENU { type="Split" image="tbil.bmp" } }
  })");
  ASSERT_EQ(view.menu_buttons.size(), 1u);
  // The strip is 19 images of 16 pixels.
  EXPECT_EQ(view.buttons[0].fixed_width, 16 * 19 + 20 + 6);
  EXPECT_EQ(view.buttons[0].desc.state, kStateIndeterminate);
  EXPECT_EQ(view.menu_buttons[0]->rect, *view.GetItemRect(0));
  EXPECT_TRUE(view.menu_buttons[0]->desc.draw_arrows);
  EXPECT_FALSE(view.menu_buttons[0]->desc.whole_dropdown);
}

TEST_F(ToolbarWindowTest, DynamicPanesReloadOnNavigationOnly) {
  test::FakeDocument page;
  page.url = "http://one.example/a";
  page.domain = "one.example";
  browser.document = &page;
  Load(R"(RYX_Toolbar {
    BUTTON { caption="B" }
    WEBPAGE { name="Static" url="http://pane/static" width="120" }
    WEBPAGE { name="ByUrl" url="http://pane/u?%url" width="90" border="1" }
    WEBPAGE { name="ByDomain" url="http://pane/d?%newdomain" width="80" }
  })");
  ASSERT_EQ(view.panes.size(), 3u);
  for (auto* pane : view.panes) EXPECT_EQ(pane->urls.size(), 1u);
  // Geometry: the pane's width, 20 below the button or down to y = 22.
  Rect button = *view.GetItemRect(1);
  EXPECT_EQ(button.Width(), 120);
  EXPECT_EQ(view.panes[0]->rect, (Rect{button.left, 0, button.left + 120, 42}));
  EXPECT_EQ(view.panes[1]->rect.bottom, 22);
  EXPECT_EQ(view.buttons[1].desc.state, kStateIndeterminate);

  toolbar->OnBrowserEvent(kDispidDocumentComplete);
  toolbar->OnBrowserEvent(kDispidDownloadComplete);
  for (auto* pane : view.panes) EXPECT_EQ(pane->urls.size(), 1u);

  page.url = "http://one.example/b";
  toolbar->OnBrowserEvent(kDispidNavigateComplete2);
  EXPECT_EQ(view.panes[0]->urls.size(), 1u);  // not dynamic
  EXPECT_EQ(view.panes[1]->urls.size(), 2u);
  EXPECT_EQ(view.panes[2]->urls.size(), 1u);  // same domain: no reload

  page.url = "http://two.example/";
  page.domain = "two.example";
  toolbar->OnBrowserEvent(kDispidNavigateComplete2);
  EXPECT_EQ(view.panes[1]->urls.size(), 3u);
  EXPECT_EQ(view.panes[2]->urls.size(), 2u);
}

TEST_F(ToolbarWindowTest, TabMovesBetweenSearchBoxes) {
  Load(R"(RYX_Toolbar {
    COMBO { name="a" }
    BUTTON { caption="x" }
    COMBO { name="b" type="edit" }
  })");
  ASSERT_EQ(view.boxes.size(), 2u);
  auto* a = view.boxes[0];
  auto* b = view.boxes[2];
  EXPECT_TRUE(b->desc.edit_only);
  EXPECT_TRUE(toolbar->OnTabKey(false));  // nothing focused: the first box
  EXPECT_EQ(view.focus, a);
  EXPECT_TRUE(toolbar->OnTabKey(false));
  EXPECT_EQ(view.focus, b);
  EXPECT_TRUE(toolbar->OnTabKey(false));  // past the last: the parent
  EXPECT_TRUE(view.parent_focused);
  a->SetFocus();
  EXPECT_TRUE(toolbar->OnTabKey(true));  // Shift+Tab before the first
  EXPECT_TRUE(view.parent_focused);
  // A search box placeholder is disabled; its width is a share of the total.
  EXPECT_EQ(view.GetButtonState(1024) & kStateEnabled, 0);
  EXPECT_EQ(view.buttons[0].fixed_width, 10 * toolbar->total_width() / 100);
  EXPECT_EQ(toolbar->MinimumWidth(), toolbar->VisibleWidth());
}

TEST_F(ToolbarWindowTest, TabSkipsHiddenSearchBoxes) {
  settings().SetString("ShowB", "0");
  Load(R"(RYX_Toolbar {
    COMBO { name="a" }
    COMBO { name="b" command="ShowB" }
    COMBO { name="c" }
  })");
  EXPECT_FALSE(view.boxes[1]->shown);
  view.boxes[0]->SetFocus();
  EXPECT_TRUE(toolbar->OnTabKey(false));
  EXPECT_EQ(view.focus, view.boxes[2]);
  EXPECT_TRUE(toolbar->OnTabKey(true));
  EXPECT_EQ(view.focus, view.boxes[0]);
}

TEST_F(ToolbarWindowTest, ToolbarExtensionDefaultsToGoogle) {
  EXPECT_EQ(ReadToolbarExtension(settings()), "Google");
  settings().SetString("Toolbar Extension", "Other");
  EXPECT_EQ(ReadToolbarExtension(settings()), "Other");
  settings().SetString("Toolbar Extension", "");
  EXPECT_EQ(ReadToolbarExtension(settings()), "");
}

TEST_F(ToolbarWindowTest, SearchBoxesCompleteChooseAndTakeDrops) {
  Load(R"(RYX_Toolbar {
    COMBO { name="q" maxhistlines="5" }
    BUTTON { caption="s" command="S" }
    COMMANDS { GOTOURL { name="S" url="http://s/?q=%q" } }
  })");
  SearchBox* box = toolbar->GetSearchBoxOf(0);
  box->AddToHistory("Weather Berlin");
  box->AddToHistory("news");
  auto* edit = view.boxes[0];
  struct Row {
    const char* typed;
    bool allowed;
    const char* autocomplete;
    const char* shown;
    int selection;
  };
  const Row rows[] = {
      {"wea", true, "1", "Weather Berlin", 3},
      {"NE", true, "1", "news", 2},
      {"we", false, "1", "we", -1},  // after Backspace: no completion
      {"xyz", true, "1", "xyz", -1},
      {"", true, "1", "", -1},
      {"wea", true, "0", "wea", -1},  // completion switched off
  };
  for (const Row& row : rows) {
    settings().SetString("UseAutoComplete", row.autocomplete);
    edit->text = row.typed;
    edit->allow_completion = row.allowed;
    edit->selection_start = -1;
    toolbar->OnSearchBoxChanged(0);
    EXPECT_EQ(edit->text, row.shown) << row.typed;
    EXPECT_EQ(edit->selection_start, row.selection) << row.typed;
  }

  // Choosing a history line searches unless the setting says no.
  toolbar->OnSearchBoxSelected(0, 1);
  EXPECT_EQ(edit->text, "Weather Berlin");
  EXPECT_EQ(runs.size(), 1u);
  // The search put its words at the top of the history.
  settings().SetString("ActivateSearchOnComboSelection", "0");
  toolbar->OnSearchBoxSelected(0, 1);
  EXPECT_EQ(edit->text, "news");
  EXPECT_EQ(runs.size(), 1u);

  // A drop fills the box and searches unless the setting says no.
  toolbar->OnSearchBoxDrop(0, "dropped words");
  EXPECT_EQ(edit->text, "dropped words");
  EXPECT_EQ(runs.size(), 2u);
  settings().SetString("RunSearchDragAutomatically", "0");
  toolbar->OnSearchBoxDrop(0, "only filled");
  EXPECT_EQ(edit->text, "only filled");
  EXPECT_EQ(runs.size(), 2u);
}

TEST_F(ToolbarWindowTest, QuitForgetsTheModelAndTheBrowser) {
  Load(kThreeItems);
  toolbar->OnQuit();
  EXPECT_EQ(toolbar->GetModel(), nullptr);
  EXPECT_EQ(toolbar->GetBrowser(), nullptr);
  toolbar->OnButtonCommand(1024);
  toolbar->OnMenuSelect(2048, false);
  toolbar->OnBrowserEvent(kDispidNavigateComplete2);
  EXPECT_TRUE(runs.empty());
}

TEST_F(ToolbarWindowTest, BandAnswersSizesFocusAndPopups) {
  Load(R"(RYX_Toolbar {
    BUTTON { caption="a" }
    COMBO { name="q" }
    BUTTON { caption="after" }
  })");
  bool ctrl = false;
  BandObject band(*toolbar, settings(), [&ctrl] { return ctrl; });
  BandSizeCounter::Instance().Set(0);
  EXPECT_EQ(band.GetBandInfo(1024).min_size.width, 1004);
  EXPECT_EQ(band.GetBandInfo(1024).min_size.width, 1004);
  int up_to_combo = view.GetItemRect(0)->Width() + view.GetItemRect(1)->Width();
  EXPECT_EQ(band.GetBandInfo(1024).min_size.width, up_to_combo);
  band.ShowDW(true);
  BandInfo info = band.GetBandInfo(1024);
  EXPECT_EQ(info.min_size, (Size{up_to_combo, 22}));
  EXPECT_EQ(info.actual, (Size{toolbar->VisibleWidth(), 22}));
  EXPECT_EQ(info.mode_flags, 0x1A0);

  EXPECT_FALSE(band.HasFocusIO());
  band.UIActivateIO(true);
  EXPECT_TRUE(band.HasFocusIO());

  // The popup filter reads the setting and CTRL (its rule is
  // popup_blocker_test.cc's).
  EXPECT_FALSE(band.NewWindow2());
  settings().SetDword("PopupBlockingEnabled", 1);
  EXPECT_TRUE(band.NewWindow2());
  EXPECT_TRUE(band.BeforeNavigate2(std::string_view("_blank")));
  ctrl = true;
  EXPECT_FALSE(band.NewWindow2());
  EXPECT_FALSE(band.BeforeNavigate2(std::string_view("_blank")));
  ctrl = false;

  band.OnQuit();
  EXPECT_EQ(toolbar->GetModel(), nullptr);
  EXPECT_FALSE(band.NewWindow2());
}

}  // namespace
}  // namespace zan
