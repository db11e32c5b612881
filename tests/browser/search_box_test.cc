#include "browser/search_box.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "browser/command_ids.h"
#include "tests/browser/toolbar_window_fixture.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

class SearchBoxTest : public test::ToolbarWindowFixture {
 protected:
  // The history as stored: the value names of "History" + name, in order.
  std::vector<std::string> Stored(const std::string& name) {
    std::vector<std::string> names;
    for (SettingsValueEnumerator e(settings(), name, true); e.HasName();
         e.Next()) {
      names.push_back(e.Name());
    }
    return names;
  }
  SearchBox& Box(int item) { return *toolbar->GetSearchBoxOf(item); }
  int ButtonState(int item) { return view.GetButtonState(1024 + item); }
  // The indexes of the commands run.
  std::vector<int> RunCommands() const {
    std::vector<int> commands;
    for (const test::CommandRun& run : runs) commands.push_back(run.command);
    return commands;
  }
};

TEST_F(SearchBoxTest, HistoryOrderLimitsAndLetterCase) {
  if (!test::ValuesKeepWritingOrder()) {
    GTEST_SKIP() << "the history keeps the registry's writing order, which "
                    "Wine does not keep";
  }
  struct Row {
    const char* maxhistlines;
    std::vector<std::string> searches;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      // The default limit 0 keeps the latest search only.
      {"0", {"one", "two"}, {"two"}},
      {"3", {"a", "b", "c", "d"}, {"d", "c", "b"}},
      // The same words in other letter case: one line, spelled as last
      // searched, at the top; nothing else is dropped.
      {"3", {"a", "Berlin", "c", "BERLIN"}, {"BERLIN", "c", "a"}},
      // Blank texts never become lines.
      {"3", {"x", "   ", ""}, {"x"}},
  };
  for (const Row& row : rows) {
    Load(std::string("RYX_Toolbar { COMBO { name=\"q\" maxhistlines=\"") +
         row.maxhistlines + "\" } }");
    Box(0).ClearHistory();
    for (const std::string& s : row.searches) Box(0).AddToHistory(s);
    EXPECT_EQ(Box(0).history(), row.expected) << row.maxhistlines;
    EXPECT_EQ(view.boxes[0]->entries, row.expected);
    EXPECT_EQ(Stored("q"), row.expected);
    // A rebuilt toolbar reads the same list back.
    toolbar->AssembleToolbar();
    EXPECT_EQ(view.boxes[0]->entries, row.expected);
  }
}

TEST_F(SearchBoxTest, StoringOffAndBoxesWithoutHistory) {
  Load(R"(RYX_Toolbar {
    COMBO { name="q" maxhistlines="5" }
    COMBO { name="p" COMBOVALUE { caption="One" value="1" }
                     COMBOVALUE { value="two" } }
    COMBO { name="e" type="edit" COMBOVALUE { value="ignored" } }
  })");
  settings().SetString("StoreValueHistory", "0");
  Box(0).AddToHistory("kept nowhere");
  EXPECT_TRUE(Box(0).history().empty());
  EXPECT_TRUE(Stored("q").empty());
  settings().SetString("StoreValueHistory", "1");
  Box(1).AddToHistory("words");
  Box(2).AddToHistory("words");
  EXPECT_TRUE(Stored("p").empty());
  EXPECT_TRUE(Stored("e").empty());

  // A value list shows captions (the value when there is none) and keeps
  // them when its history is cleared; an edit box has no list at all.
  EXPECT_TRUE(view.boxes[1]->desc.value_list);
  EXPECT_TRUE(view.boxes[2]->desc.edit_only);
  EXPECT_EQ(view.boxes[1]->entries, (std::vector<std::string>{"One", "two"}));
  Box(1).ClearHistory();
  Box(2).ClearHistory();
  EXPECT_EQ(view.boxes[1]->entries, (std::vector<std::string>{"One", "two"}));
  EXPECT_TRUE(view.boxes[2]->entries.empty());

  // GetValue: the chosen entry's value, the text of the other kinds cut to
  // 1023 characters.
  view.boxes[1]->index = 0;
  EXPECT_EQ(Box(1).GetValue(), "1");
  view.boxes[1]->index = 1;
  EXPECT_EQ(Box(1).GetValue(), "two");
  view.boxes[2]->text = std::string(2000, 'x');
  EXPECT_EQ(Box(2).GetValue(), std::string(1023, 'x'));
  // Never in the middle of a character: "\xC3\xA4" would lose its tail.
  view.boxes[2]->text = std::string(1022, 'x') + "\xC3\xA4" + "yz";
  EXPECT_EQ(Box(2).GetValue(), std::string(1022, 'x'));
}

TEST_F(SearchBoxTest, LinesTooLongForAValueNameLiveUntilTheNextRefresh) {
  if (!test::ValuesKeepWritingOrder()) {
    GTEST_SKIP() << "the history keeps the registry's writing order, which "
                    "Wine does not keep";
  }
  Load(R"(RYX_Toolbar { COMBO { name="q" maxhistlines="5" } })");
  const std::string longest(kMaxStoredHistoryLine, 'a');
  const std::string too_long(kMaxStoredHistoryLine + 1, 'b');
  Box(0).AddToHistory("first");
  Box(0).AddToHistory(longest);
  Box(0).AddToHistory(too_long);
  const std::vector<std::string> shown{too_long, longest, "first"};
  EXPECT_EQ(Box(0).history(), shown);
  EXPECT_EQ(view.boxes[0]->entries, shown);
  // The lines around it are stored in their order; the next search shows
  // the stored list again.
  Box(0).AddToHistory("last");
  const std::vector<std::string> stored{"last", longest, "first"};
  EXPECT_EQ(Stored("q"), stored);
  EXPECT_EQ(view.boxes[0]->entries, stored);
  toolbar->AssembleToolbar();
  EXPECT_EQ(view.boxes[0]->entries, stored);
}

// Names and lines that reach the store from a definition and the user: a
// COMBO name holding backslashes makes nested history keys, as deep as the
// store allows and no deeper; a line with a zero byte is no value name.
// Whatever the store refuses lives on screen only, and no key is left half
// made.
TEST_F(SearchBoxTest, HistoriesTheStoreCannotHoldLiveOnScreenOnly) {
  if (!test::KeysReachFullDepth()) {
    GTEST_SKIP() << "the test store lives below the hive's root, from which "
                    "the registry counts its 512 levels";
  }
  // 3 levels of product key, "Historyd" and 508 more: 512.
  std::string deep = "d";
  for (int i = 0; i < 508; ++i) deep += "\\\\d";
  Load(
      "RYX_Toolbar { COMBO { name=\"a\\\\b\" maxhistlines=\"3\" }"
      " COMBO { name=\"" +
      deep + "\" } COMBO { name=\"" + deep + "\\\\d\" } }");
  ASSERT_EQ(Box(0).name(), "a\\b");
  const std::string nul("x\0y", 3);
  Box(0).AddToHistory("first");
  Box(0).AddToHistory(nul);
  EXPECT_EQ(Box(0).history(), (std::vector<std::string>{nul, "first"}));
  EXPECT_EQ(Stored("a\\b"), std::vector<std::string>{"first"});
  auto product = settings().OpenProductKey();
  EXPECT_NE(product->OpenKey("Historya\\b"), nullptr);

  // The deepest history key the store makes holds its lines; one level
  // more is refused whole: the list stays on screen, no key is made.
  Box(1).AddToHistory("kept");
  EXPECT_EQ(Stored(Box(1).name()), std::vector<std::string>{"kept"});
  Box(2).AddToHistory("lost");
  EXPECT_EQ(Box(2).history(), std::vector<std::string>{"lost"});
  EXPECT_EQ(view.boxes[2]->entries, std::vector<std::string>{"lost"});
  EXPECT_EQ(product->OpenKey("History" + Box(2).name()), nullptr);
  Box(2).ClearHistory();
  EXPECT_TRUE(Box(2).history().empty());

  toolbar->AssembleToolbar();
  EXPECT_EQ(view.boxes[0]->entries, std::vector<std::string>{"first"});
  EXPECT_EQ(view.boxes[1]->entries, std::vector<std::string>{"kept"});
  EXPECT_TRUE(view.boxes[2]->entries.empty());
}

TEST_F(SearchBoxTest, WindowsShareTheStoredHistoryTruthfully) {
  if (!test::ValuesKeepWritingOrder()) {
    GTEST_SKIP() << "the history keeps the registry's writing order, which "
                    "Wine does not keep";
  }
  const std::string definition = R"(RYX_Toolbar {
    COMBO { name="q" maxhistlines="3" }
    BUTTON { caption="Clear" command="Clear" }
    BUTTON { caption="Mail" command="ClearMail" }
    COMMANDS {
      SERVICECOMMAND { name="Clear" type="ClearHistory" caption="q" }
      SERVICECOMMAND { name="ClearMail" type="ClearHistory"
                       caption="POP3 Accounts" }
    }
  })";
  Load(definition);
  settings()
      .OpenProductSubKey("POP3 Accounts")
      ->SetValue("NumberOfConfiguredAccounts", DwordValue(1));
  // Window B: a toolbar of its own on its own opening of the same store, as
  // another browser process has; it runs its commands itself.
  auto other_store = test::MakeTestRegistry(dir);
  ASSERT_NE(other_store, nullptr);
  CommandEnvironment other_env = env;
  other_env.registry = other_store.get();
  test::RecordingToolbarView other_view;
  ToolbarWindow other(other_view, other_env, resources);
  ASSERT_TRUE(other.model_holder().LoadDefinitionFromBytes(definition, ui));
  other.GetModel()->RebuildReferenceLists();
  other.AssembleToolbar();
  SearchBox& a = Box(0);
  SearchBox& b = *other.GetSearchBoxOf(0);
  using Lines = std::vector<std::string>;

  // B's search keeps what A stored after B was filled.
  a.AddToHistory("apple");
  b.AddToHistory("banana");
  EXPECT_EQ(Stored("q"), (Lines{"banana", "apple"}));
  EXPECT_EQ(other_view.boxes[0]->entries, (Lines{"banana", "apple"}));
  // A moves its line up and trims to three lines of what is stored.
  a.AddToHistory("cherry");
  a.AddToHistory("date");
  a.AddToHistory("BANANA");
  EXPECT_EQ(Stored("q"), (Lines{"BANANA", "date", "cherry"}));
  EXPECT_EQ(view.boxes[0]->entries, (Lines{"BANANA", "date", "cherry"}));
  // Typing in B completes from what is stored now.
  other_view.boxes[0]->text = "ch";
  other.OnSearchBoxChanged(0);
  EXPECT_EQ(other_view.boxes[0]->text, "cherry");
  EXPECT_EQ(other_view.boxes[0]->entries, (Lines{"BANANA", "date", "cherry"}));

  // "Clear search history" in B: the store, B's list and B's text are
  // empty; A shows the cleared state at its next refresh, and its next
  // search does not bring the old lines back.
  other.OnButtonCommand(ButtonCommandId(1));
  EXPECT_TRUE(Stored("q").empty());
  EXPECT_TRUE(other_view.boxes[0]->entries.empty());
  EXPECT_EQ(other_view.boxes[0]->text, "");
  view.boxes[0]->text = "d";
  toolbar->OnSearchBoxChanged(0);
  EXPECT_EQ(view.boxes[0]->text, "d");
  EXPECT_TRUE(view.boxes[0]->entries.empty());
  a.AddToHistory("fig");
  EXPECT_EQ(Stored("q"), Lines{"fig"});
  // B's list, as it opens, shows what is stored.
  other.OnSearchBoxListOpening(0);
  EXPECT_EQ(other_view.boxes[0]->entries, Lines{"fig"});

  // A caption that names the mail accounts clears no accounts.
  other.OnButtonCommand(ButtonCommandId(2));
  std::unique_ptr<RegistryKey> accounts =
      settings().FindProductKey("POP3 Accounts");
  ASSERT_NE(accounts, nullptr);
  EXPECT_EQ(accounts->QueryValue("NumberOfConfiguredAccounts"), DwordValue(1));
  EXPECT_EQ(Stored("q"), Lines{"fig"});
}

TEST_F(SearchBoxTest, LastTextsComeBackWhenTheToolbarIsRebuilt) {
  Load(R"(RYX_Toolbar {
    COMBO { name="q" }
    COMBO { name="p" COMBOVALUE { value="a" } COMBOVALUE { value="b" }
                     COMBOVALUE { value="c" } }
    COMBO { name="e" type="edit" password="1" }
  })");
  EXPECT_TRUE(view.boxes[2]->desc.password);
  combos.Set("q", "blue sky");
  combos.Set("e", "secret");
  settings().SetString("LastSearchWith", "2");
  toolbar->AssembleToolbar();
  EXPECT_EQ(view.boxes[0]->text, "blue sky");
  EXPECT_EQ(view.boxes[1]->index, 2);
  EXPECT_EQ(view.boxes[2]->text, "");
}

TEST_F(SearchBoxTest, ChosenProviderRunsTheMatchingSearchItem) {
  Load(R"(RYX_Toolbar {
    COMBO { name="q" }
    COMBO { name="p" COMBOVALUE { caption="A" value="a" }
                     COMBOVALUE { caption="B" value="b" }
                     COMBOVALUE { caption="C" value="c" } }
    BUTTON { caption="one" command="One" }
    BUTTON { caption="plain" command="Plain" }
    BUTTON { caption="two" command="Two" }
    BUTTON { caption="three" command="Three" }
    COMMANDS {
      GOTOURL { name="One" url="http://one/?q=%q" }
      GOTOURL { name="Plain" url="http://plain/" }
      GOTOURL { name="Two" url="POST!http://two/" post="q=%q" }
      GOTOURL { name="Three" url="http://three/%q" }
    }
  })");
  // Entry i of the list is the i-th search-capable item of the toolbar.
  const struct {
    int chosen;
    int command;
  } rows[] = {{0, 0}, {1, 2}, {2, 3}};
  for (const auto& row : rows) {
    toolbar->OnSearchBoxSelected(1, row.chosen);
    EXPECT_EQ(settings().GetString("LastSearchWith", ""),
              std::string(1, static_cast<char>('0' + row.chosen)));
    EXPECT_EQ(view.boxes[1]->index, row.chosen);
    runs.clear();
    toolbar->RunSearchCommand();
    EXPECT_EQ(RunCommands(), std::vector<int>{row.command}) << row.chosen;
  }
  // Choosing a provider does not search by itself.
  runs.clear();
  toolbar->OnSearchBoxSelected(1, 0);
  EXPECT_TRUE(runs.empty());
  // Enter searches with the chosen provider and keeps the words.
  view.boxes[0]->text = "blue sky";
  toolbar->OnSearchBoxEnter(0);
  EXPECT_EQ(RunCommands(), std::vector<int>{0});
  EXPECT_EQ(Box(0).history(), std::vector<std::string>{"blue sky"});
  // A stored choice past the list runs nothing.
  settings().SetString("LastSearchWith", "5");
  runs.clear();
  toolbar->RunSearchCommand();
  EXPECT_TRUE(runs.empty());
}

TEST_F(SearchBoxTest, HighlightButtonFollowsTheSearchWords) {
  Load(R"(RYX_Toolbar {
    COMBO { name="q" maxhistlines="5" }
    COMBO { name="e" type="edit" }
    BUTTON { caption="Highlight" command="Highlight" }
    COMMANDS { SERVICECOMMAND { name="Highlight" type="Highlight" caption="yellow" } }
  })");
  auto enabled = [this] { return (ButtonState(2) & kStateEnabled) != 0; };
  auto checked = [this] { return (ButtonState(2) & kStateChecked) != 0; };
  EXPECT_FALSE(enabled());
  // One letter typed enables it; blanks do not count as words.
  view.boxes[0]->text = "a";
  toolbar->OnSearchBoxChanged(0);
  EXPECT_TRUE(enabled());
  view.boxes[0]->text = "   ";
  toolbar->OnSearchBoxChanged(0);
  EXPECT_FALSE(enabled());
  // The edit box's words count too.
  view.boxes[1]->text = "word";
  toolbar->OnSearchBoxChanged(1);
  EXPECT_TRUE(enabled());
  // Every history change recounts and unchecks, also one that adds nothing.
  toolbar->CheckButton(1024 + 2, true);
  Box(0).AddToHistory("   ");
  EXPECT_TRUE(enabled());
  EXPECT_FALSE(checked());
  view.boxes[1]->text = "";
  Box(0).AddToHistory("   ");
  EXPECT_FALSE(enabled());
  // Choosing a history line recounts.
  Box(0).AddToHistory("chosen");
  view.boxes[0]->text = "";
  settings().SetString("ActivateSearchOnComboSelection", "0");
  toolbar->OnSearchBoxSelected(0, 0);
  EXPECT_EQ(view.boxes[0]->text, "chosen");
  EXPECT_TRUE(enabled());
  // A rebuilt toolbar starts with the button disabled and unchecked.
  toolbar->CheckButton(1024 + 2, true);
  toolbar->AssembleToolbar();
  EXPECT_FALSE(enabled());
  EXPECT_FALSE(checked());
}

TEST_F(SearchBoxTest, HighlightButtonIsReadyWhenAssemblyShowsWords) {
  const std::string definition = R"(RYX_Toolbar {
    COMBO { name="q" }
    BUTTON { caption="Highlight" command="Highlight" }
    COMMANDS { SERVICECOMMAND { name="Highlight" type="Highlight" } }
  })";
  // A new window shows the last words of the box: it can highlight them.
  combos.Set("q", "blue sky");
  Load(definition);
  EXPECT_EQ(view.boxes[0]->text, "blue sky");
  EXPECT_NE(ButtonState(1) & kStateEnabled, 0);
  EXPECT_EQ(ButtonState(1) & kStateChecked, 0);
  // Without words it stays disabled.
  combos.Set("q", "  ");
  toolbar->AssembleToolbar();
  EXPECT_EQ(ButtonState(1) & kStateEnabled, 0);
}

TEST_F(SearchBoxTest, BrowsingAClosedListOnlyChangesTheText) {
  Load(R"(RYX_Toolbar {
    COMBO { name="q" maxhistlines="5" command="" }
    COMBO { name="p" COMBOVALUE { caption="One" value="1" }
                     COMBOVALUE { caption="Two" value="2" } }
    BUTTON { caption="Find" command="Find" }
    COMMANDS { GOTOURL { name="Find" url="s?q=%q" } }
  })");
  Box(0).AddToHistory("older");
  Box(0).AddToHistory("newer");
  // The wheel or the arrows over a closed history box: no search.
  toolbar->OnSearchBoxBrowsed(0, 1);
  EXPECT_EQ(view.boxes[0]->text, "older");
  toolbar->OnSearchBoxBrowsed(0, 7);  // past the end: nothing
  EXPECT_EQ(view.boxes[0]->text, "older");
  EXPECT_TRUE(runs.empty());
  // A value list takes the choice as ever, without a search.
  toolbar->OnSearchBoxBrowsed(1, 1);
  EXPECT_EQ(settings().GetString("LastSearchWith", ""), "1");
  EXPECT_TRUE(runs.empty());
  // A choice from the open list searches.
  settings().SetString("LastSearchWith", "0");
  toolbar->OnSearchBoxSelected(0, 0);
  EXPECT_EQ(runs.size(), 1u);
}

TEST_F(SearchBoxTest, MaxcharsLimitsComboBoxesOnly) {
  Load(R"(RYX_Toolbar {
    COMBO { name="q" maxchars="5" }
    COMBO { name="e" type="edit" maxchars="5" }
  })");
  EXPECT_EQ(view.boxes[0]->desc.max_chars, 5);
  EXPECT_EQ(view.boxes[1]->desc.max_chars, 0);
}

TEST_F(SearchBoxTest, AbsurdWidthsDoNotOverflow) {
  Load(R"(RYX_Toolbar {
    BUTTON { caption="A long caption for a wide toolbar" }
    COMBO { name="huge" width="2147483647" }
    COMBO { name="negative" width="-2147483648" }
    COMBO { name="big" width="99999999" }
  })");
  EXPECT_EQ(view.buttons[1].fixed_width, 32767);
  EXPECT_EQ(view.buttons[2].fixed_width, 0);
  EXPECT_EQ(view.buttons[3].fixed_width, 32767);
  EXPECT_GE(view.boxes[1]->rect.Width(), 0);
}

TEST_F(SearchBoxTest, DefaultToolbarBoxesTakeAShareOfTheToolbar) {
  std::ifstream in(test::SiteDir() + "/ZAN.tbd");
  std::stringstream text;
  text << in.rdbuf();
  Load(text.str());
  ToolbarModel* model = toolbar->GetModel();
  ASSERT_NE(model, nullptr);
  int boxes = 0, box_width = 0;
  for (size_t i = 0; i < model->items.size(); ++i) {
    if (model->items[i]->GetKind() != ItemKind::kCombo) continue;
    const auto& combo = static_cast<const ToolbarCombo&>(*model->items[i]);
    const int width = view.buttons[i].fixed_width;
    EXPECT_EQ(width,
              std::atoi(combo.width.c_str()) * toolbar->total_width() / 100);
    EXPECT_GT(width, 0);
    ++boxes;
    box_width += width;
  }
  EXPECT_EQ(boxes, 2);
  // Shares of the toolbar, not pixel widths: together less than the
  // buttons measured when the boxes were placed.
  EXPECT_LT(box_width, toolbar->total_width());
}

}  // namespace
}  // namespace zan
