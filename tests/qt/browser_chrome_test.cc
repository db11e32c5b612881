// The window around the toolbar, driven by keys and clicks on its real
// widgets: the address bar, back and forward, reload, find, zoom, new and
// closed windows, downloads, and the kept profile across restarts.
#include "hosts/qt/browser_chrome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>
#include <string>

#include "hosts/qt/browser_profile.h"
#include "hosts/qt/download_manager.h"
#include "hosts/qt/find_bar.h"
#include "hosts/qt/home_page.h"
#include "hosts/qt/navigation_bar.h"
#include "tests/qt/host_fixture.h"

namespace zan {
namespace {

using test::WaitUntil;

constexpr char kSearchDefinition[] = R"(RYX_Toolbar {
  COMBO { name="q" width="30" }
  BUTTON { caption="Search" command="Search" image="1" }
  COMMANDS { GOTOURL { name="Search" url="{BASE}search?q=%q" } }
})";

class BrowserChromeTest : public test::HostTest {
 protected:
  BrowserWindow* OpenActive(const std::string& path) {
    UseDefinition(kSearchDefinition);
    BrowserWindow* window = Open(server.BaseUrl() + path);
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    return window;
  }
  NavigationBar* Nav(BrowserWindow* window) {
    return window->chrome()->navigation_bar();
  }
  // Clicks the element `id` of the page with the mouse.
  void ClickElement(BrowserWindow* window, const char* id) {
    std::string at =
        Eval(window,
             QStringLiteral("(function(){var r=document.getElementById('%1')"
                            ".getBoundingClientRect();return Math.round(r.left+"
                            "3)+','+Math.round(r.top+r.height/2);})()")
                 .arg(QLatin1String(id)));
    QStringList xy = QString::fromStdString(at).split(',');
    ASSERT_EQ(xy.size(), 2) << at;
    QTest::mouseClick(window->web_view()->focusProxy(), Qt::LeftButton, {},
                      QPoint(xy[0].toInt(), xy[1].toInt()));
  }
  // Chooses entry `index` of the next QMenu that shows.
  static void ChooseInNextMenu(int index, int* count) {
    test::WhenDialogShows<QMenu>([index, count](QMenu& menu) {
      *count = static_cast<int>(menu.actions().size());
      if (index < *count) menu.actions()[index]->trigger();
      menu.close();
    });
  }
};

TEST_F(BrowserChromeTest, TypedAddressesLoadAndOtherTextSearches) {
  BrowserWindow* window = OpenActive("start");
  AddressBar* bar = Nav(window)->address_bar();
  EXPECT_EQ(bar->text().toStdString(), server.BaseUrl() + "start");
  EXPECT_TRUE(window->windowTitle().endsWith(" - ZAN"));

  QTest::keyClick(window, Qt::Key_L, Qt::ControlModifier);
  ASSERT_TRUE(bar->hasFocus());
  EXPECT_EQ(bar->selectedText(), bar->text());
  // No scheme: a loopback address gets http.
  std::string typed = server.BaseUrl().substr(7) + "typed";
  QTest::keyClicks(bar, QString::fromStdString(typed));
  QTest::keyClick(bar, Qt::Key_Return);
  ASSERT_TRUE(WaitForPath(window, "/typed"));
  EXPECT_EQ(bar->text().toStdString(), server.BaseUrl() + "typed");
  EXPECT_FALSE(bar->hasFocus());

  // Words run the toolbar's search and show in its box.
  QTest::keyClick(window, Qt::Key_D, Qt::AltModifier);
  ASSERT_TRUE(bar->hasFocus());
  QTest::keyClicks(bar, "blue sky");
  QTest::keyClick(bar, Qt::Key_Return);
  ASSERT_TRUE(WaitForTarget(window, "/search?q=blue+sky"));
  EXPECT_EQ(BoxView(window, 0).GetText(), "blue sky");

  // Esc puts back the page's address.
  bar->setFocus();
  QTest::keyClicks(bar, "half typed");
  QTest::keyClick(bar, Qt::Key_Escape);
  EXPECT_EQ(bar->text().toStdString(), server.BaseUrl() + "search?q=blue+sky");
}

TEST_F(BrowserChromeTest, LinksBackForwardHistoryMenuAndReload) {
  server.SetPage("/a",
                 "<html><head><title>Page A</title></head><body>"
                 "<a id='l' href='/b'>to b</a></body></html>");
  server.SetPage("/b",
                 "<html><head><title>Page B</title></head>"
                 "<body>b</body></html>");
  BrowserWindow* window = OpenActive("a");
  NavigationBar* nav = Nav(window);
  EXPECT_FALSE(nav->back_button()->isEnabled());
  ClickElement(window, "l");
  ASSERT_TRUE(WaitForPath(window, "/b"));
  EXPECT_EQ(window->windowTitle(), "Page B - ZAN");
  EXPECT_TRUE(nav->back_button()->isEnabled());

  QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
  ASSERT_TRUE(WaitForPath(window, "/a"));
  EXPECT_TRUE(WaitUntil([nav] { return nav->forward_button()->isEnabled(); }));
  QTest::mouseClick(nav->forward_button(), Qt::LeftButton);
  ASSERT_TRUE(WaitForPath(window, "/b"));

  // The back button's history: a right click lists "Page A" and goes there.
  int entries = 0;
  ChooseInNextMenu(0, &entries);
  QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(4, 4),
                          nav->back_button()->mapToGlobal(QPoint(4, 4)));
  QApplication::sendEvent(nav->back_button(), &right);
  EXPECT_EQ(entries, 1);
  ASSERT_TRUE(WaitForPath(window, "/a"));
  QTest::keyClick(window, Qt::Key_Right, Qt::AltModifier);
  ASSERT_TRUE(WaitForPath(window, "/b"));

  // F5 and the reload button load the page again.
  int before = CountRequests("/b");
  QTest::keyClick(window, Qt::Key_F5);
  ASSERT_TRUE(WaitUntil([&] { return CountRequests("/b") == before + 1; }));
  ASSERT_TRUE(WaitUntil([&] { return window->page_loaded(); }));
  QTest::mouseClick(nav->reload_button(), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return CountRequests("/b") == before + 2; }));
}

TEST_F(BrowserChromeTest, FindCountsMatchesAndSteps) {
  server.SetPage("/words",
                 "<html><body><p>apple pear Apple</p>"
                 "<p>an apple a day</p></body></html>");
  BrowserWindow* window = OpenActive("words");
  FindBar* find = window->chrome()->find_bar();
  EXPECT_FALSE(find->isVisible());
  QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(find->isVisible());
  ASSERT_TRUE(find->edit()->hasFocus());
  QTest::keyClicks(find->edit(), "apple");
  ASSERT_TRUE(WaitUntil([find] { return find->match_count() == 3; }));
  EXPECT_TRUE(WaitUntil([find] { return find->count_text() == "1 of 3"; }));
  QTest::keyClick(find->edit(), Qt::Key_Return);
  EXPECT_TRUE(WaitUntil([find] { return find->active_match() == 2; }));
  QTest::keyClick(find->edit(), Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_TRUE(WaitUntil([find] { return find->active_match() == 1; }));
  QTest::keyClick(find->edit(), Qt::Key_Z);
  EXPECT_TRUE(WaitUntil([find] { return find->count_text() == "No matches"; }));
  QTest::keyClick(find->edit(), Qt::Key_Escape);
  EXPECT_FALSE(find->isVisible());
}

TEST_F(BrowserChromeTest, ZoomStepsAndResets) {
  BrowserWindow* window = OpenActive("start");
  QWebEngineView* view = window->web_view();
  QTest::keyClick(window, Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(view->zoomFactor(), 1.1);
  QTest::keyClick(window, Qt::Key_Equal, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(view->zoomFactor(), 1.25);
  EXPECT_EQ(window->status_text(), "Zoom: 125%");
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(window, Qt::Key_Minus, Qt::ControlModifier);
  }
  EXPECT_DOUBLE_EQ(view->zoomFactor(), 0.9);
  QTest::keyClick(window, Qt::Key_0, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(view->zoomFactor(), 1.0);
}

TEST_F(BrowserChromeTest, NewAndClosedWindowsAndHome) {
  BrowserWindow* window = OpenActive("start");
  QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
  ASSERT_EQ(app->windows().size(), 2u);
  BrowserWindow* second = app->windows()[1];
  EXPECT_TRUE(WaitUntil(
      [&] { return second->page()->requestedUrl() == app->HomeUrl(); }));
  // Both windows keep one profile.
  EXPECT_EQ(second->page()->profile(), window->page()->profile());
  second->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(second));
  QTest::keyClick(second, Qt::Key_W, Qt::ControlModifier);
  EXPECT_TRUE(WaitUntil([this] { return app->windows().size() == 1u; }));

  // Home goes to the page the user chose, and back to the site's.
  app->home_page().Set(QUrl(QString::fromStdString(server.BaseUrl() + "mine")));
  QTest::mouseClick(Nav(window)->home_button(), Qt::LeftButton);
  ASSERT_TRUE(WaitForPath(window, "/mine"));
  app->home_page().Set(QUrl());
  EXPECT_EQ(app->home_page().Url(), app->HomeUrl());
}

TEST_F(BrowserChromeTest, DownloadsLandInTheFolderUnderAFreeName) {
  server.SetPage("/file.txt", "the report");
  server.SetPage("/dl",
                 "<html><body><a id='d' href='/file.txt' "
                 "download='../report.txt'>get it</a></body></html>");
  QString folder = DownloadFolder();
  ASSERT_TRUE(QDir().mkpath(folder));
  {
    QFile old(folder + "/report.txt");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep me");
  }
  BrowserWindow* window = OpenActive("dl");
  ClickElement(window, "d");
  QString saved = folder + "/report (1).txt";
  ASSERT_TRUE(WaitUntil(
      [&] { return app->downloads().running() == 0 && QFile::exists(saved); }));
  QFile file(saved);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_NE(file.readAll().indexOf("the report"), -1);
  QFile old(folder + "/report.txt");
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "keep me");
  QLabel* notice = window->chrome()->download_notice();
  EXPECT_TRUE(WaitUntil([notice] {
    return notice->text().contains("Downloaded report (1).txt");
  }));
  EXPECT_TRUE(notice->text().contains("Open folder"));
  // Nothing else was written next to the folder.
  EXPECT_FALSE(QFile::exists(folder + "/../report.txt"));
}

TEST_F(BrowserChromeTest, PrintWritesAPdfWhereTheDialogSays) {
  BrowserWindow* window = OpenActive("start");
  QString path = QString::fromStdString(home.File("page.pdf"));
  test::WhenDialogShows<QFileDialog>([path](QFileDialog& dialog) {
    // Put over the suggested name, as a user types it.
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(path);
    static_cast<QDialog&>(dialog).accept();
  });
  bool written = false;
  QString written_path;
  QObject::connect(window->chrome(), &BrowserChrome::pdfWritten,
                   [&](const QString& to, bool ok) {
                     written = ok;
                     written_path = to;
                   });
  QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
  ASSERT_TRUE(WaitUntil([&] { return !written_path.isEmpty(); }))
      << window->status_text();
  EXPECT_TRUE(written);
  EXPECT_EQ(written_path.toStdString(), path.toStdString());
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(4) == "%PDF");
}

// zan-browser run as its own process on `path` of the server with the
// given data and cache folders; it quits once the page has loaded.
bool RunBrowser(const std::string& url, const QString& root,
                bool private_mode) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_DATA_HOME", root + "/data");
  env.insert("XDG_CACHE_HOME", root + "/cache");
  env.insert("XDG_CONFIG_HOME", root + "/config");
  process.setProcessEnvironment(env);
  QStringList args{"--url", QString::fromStdString(url), "--screenshot",
                   root + "/shot.png"};
  if (private_mode) args << "--private";
  process.start(QString::fromUtf8(std::getenv("ZAN_BINARY_DIR")) +
                    "/hosts/qt/zan-browser",
                args);
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished(2000);
    return false;
  }
  return process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
}

TEST_F(BrowserChromeTest, CookiesOutliveARestartButNotAPrivateRun) {
  server.SetPage("/login",
                 "<html><body><script>document.cookie="
                 "'login=alice; max-age=86400; path=/';</script>"
                 "</body></html>");
  server.SetPage("/show",
                 "<html><body><script>new Image().src='/seen?c='+"
                 "encodeURIComponent(document.cookie);</script>"
                 "</body></html>");
  QString root = QString::fromStdString(home.path());
  auto seen = [this](const std::string& query) {
    int n = 0;
    for (const auto& r : server.Requests()) n += r.target == "/seen?c=" + query;
    return n;
  };
  ASSERT_TRUE(RunBrowser(server.BaseUrl() + "login", root, false));
  EXPECT_TRUE(QDir(root + "/data/zan/profile").exists());
  ASSERT_TRUE(RunBrowser(server.BaseUrl() + "show", root, false));
  EXPECT_TRUE(WaitUntil([&] { return seen("login%3Dalice") == 1; }, 5000));

  // A private run neither sees the kept cookie nor writes its own.
  QString fresh = root + "/fresh";
  ASSERT_TRUE(QDir().mkpath(fresh));
  ASSERT_TRUE(RunBrowser(server.BaseUrl() + "login", fresh, true));
  EXPECT_FALSE(QDir(fresh + "/data").exists());
  EXPECT_FALSE(QDir(fresh + "/cache").exists());
  ASSERT_TRUE(RunBrowser(server.BaseUrl() + "show", root, true));
  EXPECT_TRUE(WaitUntil([&] { return seen("") == 1; }, 5000));
}

}  // namespace
}  // namespace zan
