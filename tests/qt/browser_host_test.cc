#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <string>

#include "browser/command_ids.h"
#include "settings/string_utils.h"
#include "tests/qt/host_fixture.h"

namespace zan {
namespace {

using test::WaitUntil;

class BrowserHostTest : public test::HostTest {
 protected:
  std::string PageText(BrowserWindow* window, const char* id) {
    return Eval(window, QStringLiteral(
                            "(function(){var e=document.getElementById('%1');"
                            "return e?e.textContent:'';})()")
                            .arg(QLatin1String(id)));
  }
};

constexpr char kTestDefinition[] = R"(RYX_Toolbar {
  COMBO { name="q" width="30" hint="words" }
  BUTTON { caption="Home" command="Home" image="14" }
  BUTTON { caption="Post" command="Post" image="1" }
  BUTTON {
    caption="Menu"
    MENU { type="Single" MENUITEM { caption="Echo" command="Echo" hint="echo it" } }
  }
  WEBPAGE { name="ByUrl" url="{BASE}pane?u=%url" width="60" }
  WEBPAGE { name="ByDomain" url="{BASE}pane?d=%newdomain" width="60" }
  COMMANDS {
    GOTOURL { name="Home" url="{BASE}home" }
    GOTOURL { name="Post" url="POST!{BASE}search" post="q=%q" }
    GOTOURL { name="Echo" url="{BASE}echo?from=menu" }
  }
})";

TEST_F(BrowserHostTest, StartsOnTheDefaultSite) {
  BrowserWindow* window = Open("");
  window->page()->load(app->HomeUrl());
  ASSERT_TRUE(WaitUntil([window] { return window->page_loaded(); }));
  ToolbarModel* model = window->toolbar()->GetModel();
  ASSERT_NE(model, nullptr);
  EXPECT_GE(model->items.size(), 5u);
  EXPECT_EQ(window->toolbar_view()->ButtonCount(),
            static_cast<int>(model->items.size()));
  EXPECT_TRUE(window->toolbar_view()->HasImageList());
  // The definition and the image lists were fetched into the module folder.
  EXPECT_FALSE(home.ReadFile("ZAN.tbd").empty());
  EXPECT_FALSE(home.ReadFile("tbil.bmp").empty());
  std::string listing = window->ToolbarListing();
  EXPECT_EQ(listing.rfind("1024\t", 0), 0u) << listing;
  EXPECT_NE(window->windowTitle().indexOf("ZAN Toolbar"), -1);
  QImage shot = window->Snapshot();
  EXPECT_FALSE(shot.isNull());
}

TEST_F(BrowserHostTest, ButtonsNavigateAndPostTheSearch) {
  UseDefinition(kTestDefinition);
  BrowserWindow* window = Open(server.BaseUrl() + "start");
  ASSERT_EQ(window->toolbar_view()->ButtonCount(), 6);

  window->toolbar_view()->ClickButton(ButtonCommandId(1));
  ASSERT_TRUE(WaitForPath(window, "/home"));

  window->toolbar()->GetSearchBoxOf(0)->view().SetText("blue sky");
  window->toolbar_view()->ClickButton(ButtonCommandId(2));
  ASSERT_TRUE(WaitForPath(window, "/search"));
  ASSERT_TRUE(WaitUntil([&] { return CountRequests("/search") == 1; }));
  auto requests = server.Requests();
  auto post = std::find_if(requests.begin(), requests.end(),
                           [](const auto& r) { return r.target == "/search"; });
  ASSERT_NE(post, requests.end());
  EXPECT_EQ(post->method, "POST");
  EXPECT_EQ(post->body, "q=blue+sky");
  EXPECT_EQ(post->content_type, "application/x-www-form-urlencoded");
  EXPECT_EQ(PageText(window, "body"), "q=blue+sky");
  EXPECT_EQ(PageText(window, "type"), "application/x-www-form-urlencoded");
}

TEST_F(BrowserHostTest, MenuEntryRunsItsCommand) {
  UseDefinition(kTestDefinition);
  BrowserWindow* window = Open(server.BaseUrl() + "start");
  QtToolbarView* view = window->toolbar_view();
  std::string status;
  ChooseInNextMenu(window, MenuCommandId(3, 0), &status);
  window->OpenMenuOf(3);
  ASSERT_TRUE(WaitForPath(window, "/echo"));
  EXPECT_EQ(status, "echo it");
  EXPECT_EQ(PageText(window, "target"), "/echo?from=menu");
  EXPECT_EQ(view->ActiveMenu(), nullptr);
}

TEST_F(BrowserHostTest, DynamicPanesFollowThePage) {
  UseDefinition(kTestDefinition);
  BrowserWindow* window = Open(server.BaseUrl() + "first");
  PaneView* by_url = window->toolbar()->GetPane(4);
  ASSERT_NE(by_url, nullptr);
  ASSERT_TRUE(WaitUntil([by_url] {
    return by_url->CurrentUrl().find("first") != std::string::npos;
  }));
  ASSERT_TRUE(WaitUntil([this] { return CountRequests("/pane?d=") >= 1; }));
  QTest::qWait(300);
  const int domain_loads = CountRequests("/pane?d=");

  // Within one domain the "%newdomain" pane stays.
  window->page()->load(
      QUrl(QString::fromStdString(server.BaseUrl() + "second")));
  ASSERT_TRUE(WaitForPath(window, "/second"));
  ASSERT_TRUE(WaitUntil([by_url] {
    return by_url->CurrentUrl().find("second") != std::string::npos;
  }));
  QTest::qWait(500);
  EXPECT_EQ(CountRequests("/pane?d="), domain_loads);

  // Another host name is another domain.
  std::string other = server.BaseUrl();
  ReplaceAll(other, "127.0.0.1", "localhost");
  window->page()->load(QUrl(QString::fromStdString(other + "third")));
  ASSERT_TRUE(WaitForPath(window, "/third"));
  EXPECT_TRUE(
      WaitUntil([&] { return CountRequests("/pane?d=") == domain_loads + 1; }));
}

constexpr char kPopupPage[] =
    R"html(<!DOCTYPE html><html><body style="margin:0">
<a id="link" target="_blank" href="/opened-by-link"
   style="position:absolute;left:0;top:0;width:300px;height:100px;display:block">link</a>
<div id="button" onclick="window.open('/opened-by-click')"
   style="position:absolute;left:0;top:150px;width:300px;height:100px">button</div>
<script>window.open('/opened-by-script');</script>
</body></html>)html";

TEST_F(BrowserHostTest, PopupBlockerCancelsNewWindowsUnlessCtrlIsHeld) {
  UseDefinition(kTestDefinition);
  settings->SetDword("PopupBlockingEnabled", 1);
  server.SetPage("/popups", kPopupPage);
  BrowserWindow* window = Open(server.BaseUrl() + "popups");
  // The script's window.open was refused.
  EXPECT_TRUE(WaitUntil([window] { return window->blocked_popups() >= 1; }));
  EXPECT_EQ(app->windows().size(), 1u);

  QWidget* target = window->web_view()->focusProxy();
  ASSERT_NE(target, nullptr);
  const int blocked = window->blocked_popups();
  QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(50, 50));
  EXPECT_TRUE(WaitUntil(
      [window, blocked] { return window->blocked_popups() > blocked; }));
  EXPECT_EQ(app->windows().size(), 1u);

  // CTRL lets the link's window through.
  QTest::mouseClick(target, Qt::LeftButton, Qt::ControlModifier,
                    QPoint(50, 50));
  EXPECT_TRUE(WaitUntil([this] { return app->windows().size() == 2u; }));

  // And a window that a click's script opens.
  QTest::mouseClick(target, Qt::LeftButton, Qt::ControlModifier,
                    QPoint(50, 200));
  EXPECT_TRUE(WaitUntil([this] { return app->windows().size() == 3u; }));
  EXPECT_EQ(CountRequests("/opened-by-script"), 0);
}

TEST_F(BrowserHostTest, GoToUrlWithBlankTargetFollowsTheBlocker) {
  UseDefinition(kTestDefinition);
  settings->SetDword("PopupBlockingEnabled", 1);
  BrowserWindow* window = Open(server.BaseUrl() + "start");
  // No key is held: a plain click sets the modifier state.
  QTest::mouseClick(window->band_widget(), Qt::LeftButton, {}, QPoint(2, 2));
  window->Navigate(server.BaseUrl() + "elsewhere", "_blank", "", "");
  EXPECT_EQ(window->blocked_popups(), 1);
  EXPECT_EQ(app->windows().size(), 1u);
  settings->SetDword("PopupBlockingEnabled", 0);
  window->Navigate(server.BaseUrl() + "elsewhere", "_blank", "", "");
  ASSERT_EQ(app->windows().size(), 2u);
  BrowserWindow* second = app->windows()[1];
  EXPECT_TRUE(WaitForPath(second, "/elsewhere"));
  // The new window has a toolbar of its own.
  EXPECT_EQ(second->toolbar_view()->ButtonCount(), 6);
}

int CountColor(const QImage& image, QColor color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y).rgb() == color.rgb()) ++n;
    }
  }
  return n;
}

TEST_F(BrowserHostTest, HoveredButtonTextTurnsBlue) {
  UseDefinition(kTestDefinition);
  BrowserWindow* window = Open(server.BaseUrl() + "start");
  QtToolbarView* view = window->toolbar_view();
  const QColor blue(0, 0, 200);
  EXPECT_EQ(CountColor(view->grab().toImage(), blue), 0);
  auto rect = view->GetItemRect(1);
  ASSERT_TRUE(rect);
  QTest::mouseMove(view, QPoint(rect->left + rect->Width() / 2, 10));
  ASSERT_TRUE(
      WaitUntil([&] { return CountColor(view->grab().toImage(), blue) > 0; }));
}

TEST(ModalDialogSizeTest, ReadsTheFeatures) {
  EXPECT_EQ(
      ModalDialogSize("dialogWidth:400px;dialogHeight:300px", QSize(1, 2)),
      QSize(400, 300));
  EXPECT_EQ(ModalDialogSize("dialogHeight: 250px", QSize(420, 320)),
            QSize(420, 250));
  EXPECT_EQ(ModalDialogSize("", QSize(420, 320)), QSize(420, 320));
  EXPECT_EQ(ModalDialogSize("dialogWidth:0px", QSize(420, 320)),
            QSize(420, 320));
}

constexpr char kWindowsDefinition[] = R"(RYX_Toolbar {
  BUTTON { caption="New" command="New" }
  BUTTON { caption="Dialog" command="Dialog" }
  COMMANDS {
    GOTOURL { name="New" url="POST!{BASE}fresh" post="a=1" newwindow="New" }
    GOTOURL { name="Dialog" url="{BASE}dialog" newwindow="ModalDialog"
              options="dialogWidth:380px;dialogHeight:260px" }
  }
})";

TEST_F(BrowserHostTest, NewWindowsAndModalDialogs) {
  UseDefinition(kWindowsDefinition);
  BrowserWindow* window = Open(server.BaseUrl() + "start");
  window->toolbar_view()->ClickButton(ButtonCommandId(0));
  ASSERT_EQ(app->windows().size(), 2u);
  BrowserWindow* second = app->windows()[1];
  ASSERT_TRUE(WaitForPath(second, "/fresh"));
  EXPECT_EQ(PageText(second, "method"), "POST");
  EXPECT_EQ(PageText(second, "body"), "a=1");
  EXPECT_EQ(second->toolbar_view()->ButtonCount(), 2);

  // The dialog is modal: it is looked at and closed from a timer.
  QSize dialog_size;
  bool dialog_loaded = false;
  QTimer closer;
  closer.setInterval(20);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    dialog_size = modal->size();
    dialog_loaded = CountRequests("/dialog") > 0;
    if (dialog_loaded) modal->close();
  });
  closer.start();
  window->toolbar_view()->ClickButton(ButtonCommandId(1));
  closer.stop();
  EXPECT_TRUE(dialog_loaded);
  EXPECT_EQ(dialog_size, QSize(380, 260));
}

}  // namespace
}  // namespace zan
