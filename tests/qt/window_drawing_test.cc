// Every window of zan-browser draws its page on the screen: the new windows
// of "New" and "_blank", a page's popups and the modal dialog, as the main
// window does. Meaningful on a real display (xcb, e.g. under xvfb-run with
// QT_QPA_PLATFORM=xcb); offscreen the screen cannot be read back and the
// test only checks the windows' own pictures.
#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QWebEngineView>

#include "browser/command_ids.h"
#include "tests/qt/host_fixture.h"

namespace zan {
namespace {

using test::WaitUntil;

constexpr char kPage[] =
    "<html><body style='margin:0;background:#3366cc'>"
    "<h1 style='color:#fff'>blue</h1></body></html>";

constexpr char kWindowsDefinition[] = R"(RYX_Toolbar {
  BUTTON { caption="New" command="New" }
  BUTTON { caption="Blank" command="Blank" }
  BUTTON { caption="Dialog" command="Dialog" }
  WEBPAGE { name="Pane" url="{BASE}blue" width="120" border="1" }
  COMMANDS {
    GOTOURL { name="New" url="{BASE}blue" newwindow="New" }
    GOTOURL { name="Blank" url="{BASE}blue" target="_blank" }
    GOTOURL { name="Dialog" url="{BASE}blue" newwindow="ModalDialog"
              options="dialogWidth:300px;dialogHeight:200px" }
  }
})";

class WindowDrawingTest : public test::HostTest {
 protected:
  static bool OnScreen() { return QGuiApplication::platformName() == "xcb"; }

  // Whether the middle of `view`'s page shows the page's blue, on the
  // screen when there is one, else in the widget's own picture.
  static bool DrawsBlue(QWidget* view) {
    QImage image;
    if (OnScreen()) {
      QPoint at = view->mapToGlobal(QPoint(0, 0));
      image = view->screen()
                  ->grabWindow(0, at.x(), at.y(), view->width(), view->height())
                  .toImage();
    } else {
      image = view->grab().toImage();
    }
    if (image.isNull()) return false;
    QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    return c.red() == 0x33 && c.green() == 0x66 && c.blue() == 0xcc;
  }

  // A click of the mouse on button `index`, as the user makes it.
  static void Click(BrowserWindow* window, int index) {
    QtToolbarView* view = window->toolbar_view();
    QPoint at = view->GetItemRect(index)
                    ? QPoint(view->GetItemRect(index)->left + 5,
                             view->GetItemRect(index)->top + 5)
                    : QPoint();
    QTest::mouseClick(view, Qt::LeftButton, {}, at);
  }

  static QWebEngineView* PaneOf(BrowserWindow* window) {
    return window->toolbar_view()->findChild<QWebEngineView*>();
  }

  static bool WaitForBlue(QWidget* view) {
    if (!view) return false;
    return WaitUntil([view] { return DrawsBlue(view); }, 10000);
  }
};

TEST_F(WindowDrawingTest, NewWindowsAndTheDialogDrawTheirPages) {
  server.SetPage("/blue", kPage);
  BrowserWindow* main = OpenWith(kWindowsDefinition, "blue");
  main->raise();
  ASSERT_TRUE(WaitForBlue(main->web_view())) << "the main window";
  ASSERT_TRUE(WaitForBlue(PaneOf(main))) << "the main window's pane";

  for (int button : {0, 1}) {
    SCOPED_TRACE(button);
    const size_t before = app->windows().size();
    Click(main, button);
    ASSERT_TRUE(WaitUntil([&] { return app->windows().size() > before; }));
    BrowserWindow* window = app->windows().back();
    ASSERT_TRUE(WaitForPath(window, "/blue"));
    window->raise();
    EXPECT_TRUE(WaitForBlue(window->web_view()));
    // Its pane too.
    QWebEngineView* pane = PaneOf(window);
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(WaitForBlue(pane)) << "the pane";
    window->close();
    QTest::qWait(50);
  }

  // A window the page opens by script.
  {
    const size_t before = app->windows().size();
    RunJavaScriptAndWait(main->page(),
                         QStringLiteral("window.open('/blue');1"));
    ASSERT_TRUE(WaitUntil([&] { return app->windows().size() > before; }));
    BrowserWindow* window = app->windows().back();
    ASSERT_TRUE(WaitForPath(window, "/blue"));
    window->raise();
    EXPECT_TRUE(WaitForBlue(window->web_view())) << "the page's popup";
    EXPECT_TRUE(WaitForBlue(PaneOf(window))) << "the popup's pane";
    window->close();
    QTest::qWait(50);
  }

  bool dialog_drew = false;
  QTimer poll;
  poll.setInterval(50);
  QElapsedTimer waited;
  waited.start();
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) modal = qobject_cast<QDialog*>(QApplication::activeWindow());
    if (!modal) return;
    QWebEngineView* view = modal->findChild<QWebEngineView*>();
    if (view && DrawsBlue(view)) dialog_drew = true;
    if (dialog_drew || waited.elapsed() > 10000) modal->close();
  });
  poll.start();
  Click(main, 2);
  poll.stop();
  EXPECT_TRUE(dialog_drew);
}

}  // namespace
}  // namespace zan
