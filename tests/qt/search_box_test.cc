// The search boxes as real Qt widgets in zan-browser: history, completion,
// the provider list, drops, Tab and the password box.
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <fstream>
#include <iterator>

#include "browser/band_object.h"
#include "browser/command_ids.h"
#include "tests/qt/host_fixture.h"

namespace zan {
namespace {

using test::WaitUntil;

constexpr char kSearchDefinition[] = R"(RYX_Toolbar {
  COMBO { name="q" width="30" maxhistlines="3" hint="words" }
  COMBO { name="provider" width="15"
          COMBOVALUE { caption="Echo" value="echo" }
          COMBOVALUE { caption="Post" value="post" } }
  COMBO { name="pin" type="edit" password="1" width="10" }
  BUTTON { caption="Find" command="Find" image="1" }
  BUTTON { caption="Post" command="PostIt" image="1" }
  COMMANDS {
    GOTOURL { name="Find" url="{BASE}find?q=%q" }
    GOTOURL { name="PostIt" url="POST!{BASE}posted?via=%provider" post="q=%q" }
  }
})";

class QtSearchBoxTest : public test::HostTest {
 protected:
  std::vector<std::string> Entries(QComboBox* combo) {
    std::vector<std::string> entries;
    for (int i = 0; i < combo->count(); ++i) {
      entries.push_back(combo->itemText(i).toStdString());
    }
    return entries;
  }
  // Opens the box's list and clicks entry `index`.
  void ChooseFromList(QComboBox* combo, int index) {
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(WaitUntil([list] { return list->isVisible(); }, 3000));
    // Every line shows whole in the open list.
    EXPECT_GE(list->width(), list->sizeHintForColumn(0));
    list->setCurrentIndex(list->model()->index(index, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
  }
  void Search(QLineEdit* edit, const char* text) {
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }
};

TEST_F(QtSearchBoxTest, EnterSearchesAndKeepsTheHistory) {
  BrowserWindow* window = OpenWith(kSearchDefinition, "start");
  QtSearchBoxView& box = BoxView(window, 0);
  ASSERT_NE(box.combo(), nullptr);
  ASSERT_NE(box.edit(), nullptr);
  EXPECT_TRUE(box.combo()->isEditable());
  EXPECT_EQ(box.combo()->completer(), nullptr);

  Search(box.edit(), "Blue sky");
  ASSERT_TRUE(WaitForTarget(window, "/find?q=Blue+sky"));
  // What the history keeps is the search box's rule; the list shows it.
  Search(box.edit(), "rain");
  ASSERT_TRUE(WaitForTarget(window, "/find?q=rain"));
  EXPECT_EQ(Entries(box.combo()),
            (std::vector<std::string>{"rain", "Blue sky"}));

  // Choosing a line searches it and moves it to the top.
  ChooseFromList(box.combo(), 1);
  ASSERT_TRUE(WaitForTarget(window, "/find?q=Blue+sky"));
  EXPECT_EQ(box.edit()->text(), "Blue sky");
  EXPECT_EQ(Entries(box.combo()),
            (std::vector<std::string>{"Blue sky", "rain"}));
}

TEST_F(QtSearchBoxTest, AnotherWindowsListShowsTheStoredHistoryAsItOpens) {
  BrowserWindow* first = OpenWith(kSearchDefinition, "start");
  BrowserWindow* second = Open(server.BaseUrl() + "start");
  Search(BoxView(first, 0).edit(), "rain");
  ASSERT_TRUE(WaitForTarget(first, "/find?q=rain"));
  QComboBox* other = BoxView(second, 0).combo();
  EXPECT_TRUE(Entries(other).empty());
  other->showPopup();
  EXPECT_EQ(Entries(other), std::vector<std::string>{"rain"});
  other->hidePopup();
}

TEST_F(QtSearchBoxTest, CompletionFollowsTheKeys) {
  BrowserWindow* window = OpenWith(kSearchDefinition, "start");
  SearchBox* logic = window->toolbar()->GetSearchBoxOf(0);
  logic->AddToHistory("weather berlin");
  logic->AddToHistory("news today");
  QLineEdit* edit = BoxView(window, 0).edit();
  edit->clear();
  edit->setFocus();

  // A prefix in other letter case completes with the tail selected.
  QTest::keyClicks(edit, "NE");
  EXPECT_EQ(edit->text(), "news today");
  EXPECT_EQ(edit->selectedText(), "ws today");
  EXPECT_EQ(edit->cursorPosition(), 2);
  // Typing on replaces the tail and completes again.
  QTest::keyClicks(edit, "w");
  EXPECT_EQ(edit->text(), "news today");
  EXPECT_EQ(edit->selectedText(), "s today");
  // Delete or Backspace removes the tail (the text is spelled as the line);
  // nothing comes back.
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(edit->text(), "new");
  QTest::keyClicks(edit, "s");
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "news");
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "new");
  // A text that no line begins with stays as typed, caret where it was.
  QTest::keyClicks(edit, "x");
  EXPECT_EQ(edit->text(), "newx");
  EXPECT_EQ(edit->cursorPosition(), 4);
  EXPECT_FALSE(edit->hasSelectedText());
  edit->setText("wexyz");
  edit->setCursorPosition(2);
  QTest::keyClicks(edit, "a");
  EXPECT_EQ(edit->text(), "weaxyz");
  EXPECT_EQ(edit->cursorPosition(), 3);
  // Typing inside a text that then begins a line completes it, but the
  // caret stays where the user was typing.
  edit->setText("eather");
  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClicks(edit, "w");
  EXPECT_EQ(edit->text(), "weather berlin");
  EXPECT_EQ(edit->cursorPosition(), 1);
  EXPECT_FALSE(edit->hasSelectedText());
  // A pasted prefix is not completed.
  edit->clear();
  QApplication::clipboard()->setText("wea");
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "wea");
}

TEST_F(QtSearchBoxTest, ProviderListChoosesTheSearch) {
  BrowserWindow* window = OpenWith(kSearchDefinition, "start");
  QtSearchBoxView& provider = BoxView(window, 1);
  ASSERT_NE(provider.combo(), nullptr);
  EXPECT_FALSE(provider.combo()->isEditable());
  EXPECT_EQ(Entries(provider.combo()),
            (std::vector<std::string>{"Echo", "Post"}));
  EXPECT_EQ(provider.combo()->currentIndex(), 0);

  // Search-capable items in toolbar order: the buttons Find and Post.
  ChooseFromList(provider.combo(), 1);
  ASSERT_TRUE(
      WaitUntil([&] { return provider.combo()->currentIndex() == 1; }, 3000));
  EXPECT_EQ(settings->GetString("LastSearchWith", ""), "1");
  Search(BoxView(window, 0).edit(), "cheap flights");
  ASSERT_TRUE(WaitForTarget(window, "/posted?via=post"));
  bool posted = false;
  for (const auto& r : server.Requests()) {
    if (r.target == "/posted?via=post") posted = r.body == "q=cheap+flights";
  }
  EXPECT_TRUE(posted);

  // The arrow keys on the closed list choose as well.
  QTest::keyClick(BoxView(window, 1).combo(), Qt::Key_Up);
  EXPECT_EQ(settings->GetString("LastSearchWith", ""), "0");
  EXPECT_EQ(window->toolbar()->GetSearchBoxOf(1)->GetValue(), "echo");
}

TEST_F(QtSearchBoxTest, DroppedTextFillsTheBoxAndSearches) {
  BrowserWindow* window = OpenWith(kSearchDefinition, "start");
  QLineEdit* edit = BoxView(window, 0).edit();
  auto drop = [edit](const QString& text) {
    QMimeData data;
    data.setText(text);
    QPoint at = edit->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data,
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent dropped(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data,
                       Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &dropped);
    return dropped.dropAction();
  };
  edit->setText("old words");
  EXPECT_EQ(drop("dropped\nwords"), Qt::CopyAction);
  ASSERT_TRUE(WaitForTarget(window, "/find?q=dropped+words"));
  EXPECT_EQ(edit->text(), "dropped words");

  // Something that is not text is refused.
  QMimeData image;
  image.setImageData(QImage(4, 4, QImage::Format_RGB32));
  QDragEnterEvent enter(edit->rect().center(), Qt::CopyAction, &image,
                        Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(edit, &enter);
  EXPECT_FALSE(enter.isAccepted());
}

TEST_F(QtSearchBoxTest, TabWalksTheBoxesAndThePasswordBoxHidesItsText) {
  BrowserWindow* window = OpenWith(kSearchDefinition, "start");
  QtSearchBoxView& first = BoxView(window, 0);
  QtSearchBoxView& second = BoxView(window, 1);
  QtSearchBoxView& pin = BoxView(window, 2);
  ASSERT_EQ(pin.combo(), nullptr);
  EXPECT_EQ(pin.edit()->echoMode(), QLineEdit::Password);

  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  first.edit()->setFocus();
  ASSERT_TRUE(first.HasFocus());
  QTest::keyClick(first.edit(), Qt::Key_Tab);
  EXPECT_TRUE(second.HasFocus());
  QTest::keyClick(second.widget(), Qt::Key_Tab);
  EXPECT_TRUE(pin.HasFocus());
  EXPECT_TRUE(window->band()->HasFocusIO());
  QTest::keyClick(pin.widget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(second.HasFocus());
  // Past the last box the focus leaves the toolbar for the page.
  pin.edit()->setFocus();
  QTest::keyClick(pin.edit(), Qt::Key_Tab);
  EXPECT_FALSE(pin.HasFocus());
  EXPECT_FALSE(window->band()->HasFocusIO());
  // The box takes the width the toolbar gave it.
  EXPECT_EQ(first.widget()->width(),
            30 * window->toolbar()->total_width() / 100);
}

// The picture for the README: the default toolbar with a history box whose
// list is open.
TEST_F(QtSearchBoxTest, HistoryListPicture) {
  const char* root = std::getenv("ZAN_SOURCE_DIR");
  std::ifstream in(std::string(root ? root : ".") + "/site/toolbar/ZAN.tbd");
  std::string definition((std::istreambuf_iterator<char>(in)),
                         std::istreambuf_iterator<char>());
  server.SetPage("/start",
                 "<!DOCTYPE html><html><body><h1>ZAN search</h1>"
                 "<p>Type words into the search box.</p></body></html>");
  BrowserWindow* window = OpenWith(definition, "start");
  window->resize(1100, 420);
  window->show();
  ToolbarModel* model = window->toolbar()->GetModel();
  ASSERT_NE(model, nullptr);
  int item = -1;
  for (size_t i = 0; i < model->items.size(); ++i) {
    if (model->items[i]->GetName() == "search") item = static_cast<int>(i);
  }
  ASSERT_GE(item, 0);
  SearchBox* logic = window->toolbar()->GetSearchBoxOf(item);
  for (const char* line : {"weather berlin", "cheap flights to lisbon",
                           "train times", "cheap flights"}) {
    logic->AddToHistory(line);
  }
  QtSearchBoxView& box = BoxView(window, item);
  box.edit()->setText("cheap flights");
  QTest::qWait(300);
  box.combo()->showPopup();
  QWidget* popup = box.combo()->view()->window();
  ASSERT_TRUE(WaitUntil([popup] { return popup->isVisible(); }, 3000));
  QTest::qWait(200);
  QImage shot = window->grab().toImage();
  QPainter painter(&shot);
  painter.drawPixmap(window->mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))),
                     popup->grab());
  painter.end();
  EXPECT_TRUE(
      shot.copy(0, 0, shot.width(), 160)
          .save(QString::fromStdString(ShotPath("search-history.png"))));
  box.combo()->hidePopup();
}

}  // namespace
}  // namespace zan
