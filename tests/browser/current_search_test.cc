#include "browser/current_search.h"

#include <gtest/gtest.h>

#include "tests/browser/toolbar_window_fixture.h"

namespace zan {
namespace {

using CurrentSearchTest = test::ToolbarWindowFixture;

TEST_F(CurrentSearchTest, WordsFromOutsideFillTheBoxesTheSearchReads) {
  Load(R"(RYX_Toolbar {
    COMBO { name="other" }
    COMBO { name="q" }
    COMBO { name="provider" COMBOVALUE { caption="One" value="1" }
                            COMBOVALUE { caption="Two" value="2" } }
    BUTTON { caption="plain" command="Plain" }
    BUTTON { caption="one" command="S1" }
    BUTTON { caption="two" command="S2" }
    COMMANDS {
      GOTOURL { name="Plain" url="http://plain/" }
      GOTOURL { name="S1" url="http://s1/?q=%q" }
      GOTOURL { name="S2" url="POST!http://s2/" post="x=%nothing" }
    }
  })");
  // The first search-capable item: its command reads %q.
  ASSERT_TRUE(SearchWithToolbar(*toolbar, "blue sky"));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].command, 1);
  EXPECT_EQ(view.boxes[1]->text, "blue sky");
  EXPECT_EQ(view.boxes[0]->text, "");
  EXPECT_EQ(view.boxes[1]->entries, (std::vector<std::string>{"blue sky"}));

  // The second one names no box: the first text box takes the words.
  settings().SetString("LastSearchWith", "1");
  ASSERT_TRUE(SearchWithToolbar(*toolbar, "red"));
  EXPECT_EQ(runs.back().command, 2);
  EXPECT_EQ(view.boxes[0]->text, "red");

  // No such search, or nothing to search: nothing runs.
  settings().SetString("LastSearchWith", "7");
  EXPECT_FALSE(SearchWithToolbar(*toolbar, "green"));
  EXPECT_FALSE(SearchWithToolbar(*toolbar, ""));
  EXPECT_EQ(runs.size(), 2u);
}

TEST_F(CurrentSearchTest, AToolbarWithoutSearchDeclines) {
  Load(R"(RYX_Toolbar { BUTTON { caption="plain" command="Plain" }
    COMMANDS { GOTOURL { name="Plain" url="http://plain/" } } })");
  EXPECT_FALSE(SearchWithToolbar(*toolbar, "words"));
  EXPECT_TRUE(runs.empty());
}

}  // namespace
}  // namespace zan
