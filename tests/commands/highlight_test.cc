#include "commands/highlight.h"

#include <gtest/gtest.h>

#include "commands/run_command.h"
#include "tests/commands/command_fixture.h"

namespace zan::test {
namespace {

using Mark = FakeDocument::Mark;

constexpr char kYellow[] = "color:#000000;background-color:yellow;";

class HighlightTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    Load(R"tbd(
      COMBO { name="q" }
      BUTTON { caption="Mark" command="Highlight" }
      COMBO { name="r" }
      COMMANDS { SERVICECOMMAND { name="Highlight" type="Highlight" caption="yellow" } }
    )tbd");
    q = toolbar.AddBox(0, "cheap flights");
    r = toolbar.AddBox(2, "");
    document.words = {"Cheap", "flights", "cheaper", "FLIGHTS"};
  }

  int button() const { return 1024 + 1; }

  FakeSearchBox* q = nullptr;
  FakeSearchBox* r = nullptr;
};

TEST_F(HighlightTest, MarksEveryWordInEveryFrame) {
  FakeDocument* frame = document.AddFrame();
  frame->words = {"flights"};
  FakeDocument* inner = frame->AddFrame();
  inner->words = {"cheap"};
  RunCommand(toolbar, model->FindCommandIndex("Highlight"), false);

  EXPECT_EQ(document.marks,
            (std::vector<Mark>{{"cheap", kYellow, "RYX", 1},
                               {"flights", kYellow, "RYX", 2}}));
  EXPECT_EQ(frame->marks.size(), 2u);
  EXPECT_EQ(inner->marks, (std::vector<Mark>{{"cheap", kYellow, "RYX", 1},
                                             {"flights", kYellow, "RYX", 0}}));
  EXPECT_EQ(document.clear_calls, 1);  // the earlier marks go first
  EXPECT_EQ(inner->clear_calls, 1);
  EXPECT_EQ(document.focus_count, 1);
  EXPECT_EQ(toolbar.events, (std::vector<std::string>{"CheckButton 1025 0",
                                                      "CheckButton 1025 1"}));

  // A second run clears first, so the marks do not pile up.
  RunCommand(toolbar, model->FindCommandIndex("Highlight"), false);
  EXPECT_EQ(document.marks.size(), 2u);
  EXPECT_EQ(inner->marks.size(), 2u);

  // A click on the checked button resets.
  RunCommand(toolbar, model->FindCommandIndex("Highlight"), true);
  EXPECT_TRUE(document.marks.empty());
  EXPECT_TRUE(frame->marks.empty());
  EXPECT_TRUE(inner->marks.empty());
  EXPECT_EQ(toolbar.checked[button()], false);
}

TEST_F(HighlightTest, WordsLoseTheirFirstQuoteAndKeepDuplicates) {
  q->value = "\"flights cheap\" a\"b\"c";
  r->value = "cheap";
  RunCommand(toolbar, model->FindCommandIndex("Highlight"), false);
  std::vector<std::string> words;
  for (const Mark& mark : document.marks) words.push_back(mark.word);
  EXPECT_EQ(words,
            (std::vector<std::string>{"flights", "cheap", "ab\"c", "cheap"}));
}

TEST_F(HighlightTest, PageWithoutBodyIsSkippedWithItsFrames) {
  document.has_body = false;
  FakeDocument* frame = document.AddFrame();
  frame->words = {"cheap"};
  ExecuteHighlight(toolbar, "red");
  EXPECT_TRUE(document.marks.empty());
  EXPECT_EQ(frame->highlight_calls, 0);
  EXPECT_EQ(frame->clear_calls, 1);

  browser.document = nullptr;  // no page at all
  ExecuteHighlight(toolbar, "red");
  EXPECT_EQ(toolbar.checked[button()], true);
}

TEST_F(HighlightTest, ButtonFollowsTheSearchWords) {
  q->value = "   ";
  UpdateHighlightButton(toolbar);
  EXPECT_EQ(toolbar.enabled[button()], false);
  q->value = "c";
  toolbar.checked[button()] = true;
  UpdateHighlightButton(toolbar);
  EXPECT_EQ(toolbar.enabled[button()], true);
  EXPECT_EQ(toolbar.checked[button()], false);

  // A value list's choice is no search word: it neither enables the button
  // nor gets marked.
  Load(R"tbd(
    COMBO { name="q" }
    BUTTON { caption="Mark" command="Highlight" }
    COMBO { name="p" COMBOVALUE { caption="The web" value="web" } }
    COMMANDS { SERVICECOMMAND { name="Highlight" type="Highlight" caption="yellow" } }
  )tbd");
  q = toolbar.AddBox(0, "");
  toolbar.AddBox(2, "web");
  UpdateHighlightButton(toolbar);
  EXPECT_EQ(toolbar.enabled[button()], false);
  q->value = "flights";
  UpdateHighlightButton(toolbar);
  EXPECT_EQ(toolbar.enabled[button()], true);

  // Without a Highlight item there is no button to set.
  Load("COMBO { name=\"q\" }");
  toolbar.events.clear();
  SetHighlightButton(toolbar, true);
  UpdateHighlightButton(toolbar);
  EXPECT_TRUE(toolbar.events.empty());
}

TEST(HighlightMarkupTest, StyleAndSpan) {
  EXPECT_EQ(HighlightStyle("yellow"), kYellow);
  EXPECT_EQ(HighlightStyle("#FFFF00"),
            "color:#000000;background-color:#FFFF00;");
  EXPECT_EQ(HighlightSpanMarkup("cheap", "Cheap", kYellow, "RYX"),
            "<span id='RYX' style='color:#000000;background-color:yellow;'>"
            "Cheap</span>");
  EXPECT_EQ(HighlightSpanMarkup(" ", " ", "s", "RYX"),
            "<span id='RYX' style='s'>&nbsp;</span>");
  EXPECT_EQ(HighlightWords({"a  b", "", "\"c"}),
            (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(HighlightWords({"", "  "}).empty());
}

}  // namespace
}  // namespace zan::test
