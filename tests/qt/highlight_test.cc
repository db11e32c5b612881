// Marking the search words in real pages of zan-browser: nested frames,
// whole words, the marks' markup, clearing, and the Highlight button.
#include "commands/highlight.h"

#include <QPainter>
#include <fstream>
#include <iterator>

#include "browser/command_ids.h"
#include "tests/qt/host_fixture.h"

namespace zan {
namespace {

using test::WaitUntil;

constexpr char kHighlightDefinition[] = R"(RYX_Toolbar {
  COMBO { name="q" width="30" }
  COMBO { name="more" type="edit" width="15" }
  BUTTON { caption="Highlight" command="Highlight" image="4" }
  COMMANDS { SERVICECOMMAND { name="Highlight" type="Highlight" caption="yellow" } }
})";

constexpr char kOuterPage[] = R"html(<!DOCTYPE html><html><head>
<title>cheap flights</title><script>var note = "cheap flights";</script>
</head><body><h1>Cheap flights</h1>
<p>Find cheap flights and cheaper trains; <b>FLIGHTS</b> for less.</p>
<textarea>cheap flights</textarea>
<svg width="120" height="20"><text x="0" y="15">cheap flights</text></svg>
<iframe id="f" src="/middle" width="400" height="160"></iframe>
</body></html>)html";
// The same words without the parts that are never marked, for the picture.
constexpr char kPicturePage[] = R"html(<!DOCTYPE html><html><body>
<h1>Cheap flights</h1>
<p>Find cheap flights and cheaper trains; <b>FLIGHTS</b> for less.</p>
<iframe id="f" src="/middle" width="400" height="160"></iframe>
</body></html>)html";
constexpr char kMiddlePage[] = R"html(<!DOCTYPE html><html><body>
<p>Middle: cheap hotels.</p>
<iframe src="/inner" width="300" height="80"></iframe></body></html>)html";
constexpr char kInnerPage[] = R"html(<!DOCTYPE html><html><body>
<p>Inner: flights, flights-and-more, airflights.</p></body></html>)html";

class HighlightTest : public test::HostTest {
 protected:
  BrowserWindow* OpenFramedPage() {
    server.SetPage("/outer", kOuterPage);
    server.SetPage("/middle", kMiddlePage);
    server.SetPage("/inner", kInnerPage);
    BrowserWindow* window = OpenWith(kHighlightDefinition, "outer");
    EXPECT_TRUE(WaitUntil([&] {
      return Eval(window,
                  "(function(){try{return window.frames[0].frames[0]"
                  ".document.body.textContent;}catch(e){return '';}})()")
          .toString()
          .contains("Inner");
    }));
    return window;
  }
  static QVariant Eval(BrowserWindow* window, const QString& script) {
    return RunJavaScriptAndWait(window->page(), script);
  }
  // The marks in one document: "document", "window.frames[0].document"...
  static int Marks(BrowserWindow* window, const char* doc) {
    return Eval(window, QStringLiteral("%1.querySelectorAll('span#RYX').length")
                            .arg(QLatin1String(doc)))
        .toInt();
  }
  static std::string MarkedTexts(BrowserWindow* window, const char* doc) {
    return Eval(window,
                QStringLiteral("Array.prototype.map.call(%1.querySelectorAll("
                               "'span#RYX'), function(s){return "
                               "s.textContent;}).join('|')")
                    .arg(QLatin1String(doc)))
        .toString()
        .toStdString();
  }
  static void Type(QLineEdit* edit, const char* text) {
    edit->clear();
    QTest::keyClicks(edit, text);
  }
  int State(BrowserWindow* window, int item = 2) {
    return window->toolbar_view()->GetButtonState(ButtonCommandId(item));
  }
};

constexpr char kOuter[] = "document";
constexpr char kMiddle[] = "window.frames[0].document";
constexpr char kInner[] = "window.frames[0].frames[0].document";

TEST_F(HighlightTest, MarksWholeWordsInEveryFrameAndClearsThemAgain) {
  BrowserWindow* window = OpenFramedPage();
  QtToolbarView* view = window->toolbar_view();
  QLineEdit* edit = BoxView(window, 0).edit();
  // Nothing to mark yet: the button is disabled.
  EXPECT_EQ(State(window) & kStateEnabled, 0);
  Type(edit, "c");
  EXPECT_NE(State(window) & kStateEnabled, 0);
  Type(edit, "cheap flights");

  view->ClickButton(ButtonCommandId(2));
  EXPECT_NE(State(window) & kStateChecked, 0);
  // Whole words, any letter case; titles, scripts and form fields untouched.
  EXPECT_EQ(MarkedTexts(window, kOuter), "Cheap|flights|cheap|flights|FLIGHTS");
  EXPECT_EQ(MarkedTexts(window, kMiddle), "cheap");
  EXPECT_EQ(MarkedTexts(window, kInner), "flights|flights");
  EXPECT_EQ(Eval(window, "document.title").toString(), "cheap flights");
  EXPECT_EQ(Eval(window,
                 "document.querySelector('svg text').childNodes"
                 ".length")
                .toInt(),
            1);
  EXPECT_EQ(Eval(window, "document.querySelector('textarea').value").toString(),
            "cheap flights");
  EXPECT_EQ(Eval(window,
                 "getComputedStyle(document.querySelector("
                 "'span#RYX')).backgroundColor")
                .toString(),
            "rgb(255, 255, 0)");

  // A click on the checked button takes every mark away, in every frame,
  // and leaves the text as it was.
  view->ClickButton(ButtonCommandId(2));
  EXPECT_EQ(State(window) & kStateChecked, 0);
  EXPECT_EQ(Marks(window, kOuter), 0);
  EXPECT_EQ(Marks(window, kMiddle), 0);
  EXPECT_EQ(Marks(window, kInner), 0);
  EXPECT_TRUE(Eval(window,
                   "document.body.innerHTML.indexOf('<p>Find cheap "
                   "flights and cheaper trains; <b>FLIGHTS</b> for "
                   "less.</p>') >= 0")
                  .toBool());
  EXPECT_EQ(
      Eval(window, "document.querySelector('p').childNodes.length").toInt(), 3);
}

TEST_F(HighlightTest, OtherOriginsArePassedOverAndWordsMarkedTwice) {
  BrowserWindow* window = OpenFramedPage();
  ToolbarWindow* toolbar = window->toolbar();
  QLineEdit* edit = BoxView(window, 0).edit();
  QLineEdit* more = BoxView(window, 1).edit();
  int inner_loads = 0;

  // A frame from another origin cannot be reached; it is passed over.
  Eval(window,
       "var f = document.createElement('iframe');"
       "f.src = location.href.replace('127.0.0.1', 'localhost')"
       ".replace('/outer', '/inner');"
       "document.body.appendChild(f); true");
  ASSERT_TRUE(WaitUntil([&] {
    for (const auto& r : server.Requests()) {
      if (r.target == "/inner" && ++inner_loads >= 2) return true;
    }
    inner_loads = 0;
    return false;
  }));
  QTest::qWait(300);
  ASSERT_EQ(Eval(window, "window.frames.length").toInt(), 2);

  // (Which words are marked is the portable highlight suite's rule.)
  Type(edit, "flights");
  ExecuteHighlight(*toolbar, "yellow");
  EXPECT_EQ(MarkedTexts(window, kOuter), "flights|flights|FLIGHTS");
  EXPECT_EQ(MarkedTexts(window, kInner), "flights|flights");

  // The same word in two boxes is marked twice: spans within spans (the
  // earlier marks go first), all of them removed by one clear.
  Type(edit, "cheap");
  Type(more, "cheap");
  ExecuteHighlight(*toolbar, "yellow");
  EXPECT_EQ(Marks(window, kOuter), 4);
  EXPECT_EQ(Eval(window,
                 "document.querySelectorAll('span#RYX > span#RYX')"
                 ".length")
                .toInt(),
            2);
  EXPECT_EQ(Marks(window, kMiddle), 2);
  ResetHighlight(*toolbar);
  EXPECT_EQ(Marks(window, kOuter), 0);
  EXPECT_EQ(Marks(window, kMiddle), 0);
  EXPECT_TRUE(Eval(window,
                   "document.querySelector('h1').innerHTML === "
                   "'Cheap flights'")
                  .toBool());
}

// The picture for the README: the default toolbar over a page whose search
// words are marked.
TEST_F(HighlightTest, HighlightedPagePicture) {
  const char* root = std::getenv("ZAN_SOURCE_DIR");
  std::ifstream in(std::string(root ? root : ".") + "/site/toolbar/ZAN.tbd");
  std::string definition((std::istreambuf_iterator<char>(in)),
                         std::istreambuf_iterator<char>());
  server.SetPage("/outer", kPicturePage);
  server.SetPage("/middle", kMiddlePage);
  server.SetPage("/inner", kInnerPage);
  BrowserWindow* window = OpenWith(definition, "outer");
  window->resize(1100, 420);
  window->show();
  ToolbarModel* model = window->toolbar()->GetModel();
  ASSERT_NE(model, nullptr);
  const int search = [&] {
    for (size_t i = 0; i < model->items.size(); ++i) {
      if (model->items[i]->GetName() == "search") return static_cast<int>(i);
    }
    return -1;
  }();
  const int button = model->FindItemByCommand("Highlight");
  ASSERT_GE(search, 0);
  ASSERT_GE(button, 0);
  ASSERT_TRUE(WaitUntil([&] {
    return Eval(window,
                "window.frames.length === 1 && "
                "window.frames[0].frames.length === 1")
        .toBool();
  }));
  QLineEdit* edit = BoxView(window, search).edit();
  edit->setFocus();
  Type(edit, "cheap flights");
  EXPECT_NE(State(window, button) & kStateEnabled, 0);
  window->toolbar_view()->ClickButton(ButtonCommandId(button));
  EXPECT_NE(State(window, button) & kStateChecked, 0);
  EXPECT_EQ(Marks(window, kOuter), 5);
  QTest::qWait(500);
  EXPECT_TRUE(window->grab().toImage().save(
      QString::fromStdString(ShotPath("highlight.png"))));
}

}  // namespace
}  // namespace zan
