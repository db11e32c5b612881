// zan-browser in windows narrower than its toolbar, with menus taller than
// the screen, and the addresses and words its commands send.
#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWebEngineView>
#include <QWheelEvent>
#include <fstream>
#include <sstream>

#include "browser/chevron_layout.h"
#include "browser/command_ids.h"
#include "tests/qt/host_fixture.h"

namespace zan {
namespace {

using test::WaitUntil;

using NarrowWindowTest = test::HostTest;

TEST_F(NarrowWindowTest, DefaultToolbarInA1024And600PixelWindow) {
  BrowserWindow* window = Open("");
  ToolbarWindow* toolbar = window->toolbar();
  QtToolbarView* view = window->toolbar_view();
  ToolbarModel* model = toolbar->GetModel();
  ASSERT_NE(model, nullptr);
  int mailboxes = -1;
  for (size_t i = 0; i < model->items.size(); ++i) {
    if (model->items[i]->caption == "Mailboxes") {
      mailboxes = static_cast<int>(i);
    }
  }
  ASSERT_GE(mailboxes, 0);
  // The window never gets narrower than the toolbar up to its last search
  // box plus the chevron.
  EXPECT_GE(view->minimumWidth(),
            toolbar->MinimumWidth() + kChevronButtonWidth);

  for (int width : {1024, 600}) {
    SCOPED_TRACE(width);
    window->resize(width, 500);
    ASSERT_TRUE(WaitUntil([&] { return window->width() >= width; }, 3000));
    QTest::qWait(50);
    EXPECT_GE(window->width(), window->minimumSizeHint().width());
    const int first = toolbar->first_overflow();
    if (first < 0) {
      // All fits: Mailboxes ends inside the toolbar.
      EXPECT_LE(view->GetItemRect(mailboxes)->right, view->width());
      continue;
    }
    EXPECT_LE(first, mailboxes);
    EXPECT_FALSE(view->chevron_rect().isEmpty());
    window->Snapshot().save(QString::fromStdString(
        ShotPath("narrow-" + std::to_string(width) + ".png")));
    EXPECT_LE(view->chevron_rect().right(), view->width());
    // Through the chevron: Mailboxes > Check mail now.
    bool chosen = false;
    WhenMenuShows(view, [&](QtMenuPopup& menu) {
      QRect opener = menu.EntryRect(MenuCommandId(mailboxes, 0));
      ASSERT_FALSE(opener.isEmpty());
      QTest::mouseMove(&menu, opener.center());
      QtMenuPopup* sub = menu.OpenSubmenu();
      ASSERT_NE(sub, nullptr);
      QRect entry = sub->EntryRect(MenuCommandId(mailboxes, 0));
      QTest::mouseClick(sub, Qt::LeftButton, {}, entry.center());
      chosen = true;
    });
    view->ClickChevron();
    EXPECT_TRUE(chosen);
    EXPECT_EQ(view->ActiveMenu(), nullptr);
  }
  // The 600-pixel request gives a window that still holds the boxes.
  window->resize(100, 500);
  QTest::qWait(100);
  EXPECT_GE(view->width(), toolbar->MinimumWidth());
}

TEST_F(NarrowWindowTest, PopupMenuTallerThanTheScreenScrolls) {
  std::string definition =
      "RYX_Toolbar { BUTTON { caption=\"Long\" MENU { type=\"Single\"\n";
  for (int k = 0; k < 120; ++k) {
    definition += "MENUITEM { caption=\"Entry " + std::to_string(k) +
                  "\" command=\"Go\" }\n";
  }
  definition +=
      "} }\nCOMMANDS { GOTOURL { name=\"Go\" url=\"{BASE}last\" } } }";
  BrowserWindow* window = OpenWith(definition, "start");
  QtToolbarView* view = window->toolbar_view();
  const int screen_height =
      QApplication::primaryScreen()->availableGeometry().height();
  bool scrolled = false;
  WhenMenuShows(view, [&](QtMenuPopup& menu) {
    EXPECT_TRUE(menu.scrollable());
    EXPECT_LE(menu.height(), screen_height);
    // The last entry lies below the menu until the wheel brings it up.
    const int last = MenuCommandId(0, 119);
    EXPECT_GT(menu.EntryRect(last).top(), menu.height());
    for (int i = 0; i < 60; ++i) {
      QWheelEvent wheel(QPointF(10, 10), menu.mapToGlobal(QPointF(10, 10)),
                        QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                        Qt::NoScrollPhase, false);
      QApplication::sendEvent(&menu, &wheel);
    }
    QRect entry = menu.EntryRect(last);
    scrolled = entry.bottom() <= menu.height();
    QTest::mouseMove(&menu, entry.center());
    QTest::mouseClick(&menu, Qt::LeftButton, {}, entry.center());
  });
  view->ClickButton(ButtonCommandId(0));
  EXPECT_TRUE(scrolled);
  EXPECT_TRUE(WaitForPath(window, "/last"));
}

constexpr char kSendDefinition[] = R"(RYX_Toolbar {
  COMBO { name="q" width="30" }
  BUTTON { caption="Where" command="Where" }
  BUTTON { caption="Find" command="Find" }
  WEBPAGE { name="Pane" url="{BASE}pane?u=%url" width="80" }
  COMMANDS {
    GOTOURL { name="Where" url="{BASE}where?u=%url&c=%curl" }
    GOTOURL { name="Find" url="{BASE}find?q=%q" }
  }
})";

TEST_F(NarrowWindowTest, AddressesAndWordsReachTheServerIntact) {
  BrowserWindow* window = OpenWith(kSendDefinition, "page?e=a%20b%2Fc%C3%A9");
  const std::string page = server.BaseUrl() + "page?e=a%20b%2Fc%C3%A9";
  const std::string encoded = UrlEncode(page, kUrlUnreserved);
  ASSERT_NE(encoded.find("e%3Da%2520b%252Fc%25C3%25A9"), std::string::npos);
  window->toolbar_view()->ClickButton(ButtonCommandId(1));
  ASSERT_TRUE(WaitUntil([&] { return CountRequests("/where") == 1; }));
  // The pane got the same address.
  ASSERT_TRUE(
      WaitUntil([&] { return CountRequests("/pane?u=" + encoded) >= 1; }));
  for (const auto& r : server.Requests()) {
    if (r.target.rfind("/where", 0) == 0) {
      EXPECT_EQ(r.target, "/where?u=" + encoded + "&c=" + encoded);
    }
  }
  // Words with "&" and "+" arrive as the words.
  window->toolbar()->GetSearchBoxOf(0)->view().SetText("AT&T C++");
  window->toolbar_view()->ClickButton(ButtonCommandId(2));
  ASSERT_TRUE(WaitUntil([&] { return CountRequests("/find") == 1; }));
  for (const auto& r : server.Requests()) {
    if (r.target.rfind("/find", 0) == 0) {
      EXPECT_EQ(r.target, "/find?q=AT%26T+C%2B%2B");
    }
  }
  ASSERT_TRUE(WaitForPath(window, "/find"));
  EXPECT_EQ(window->page()->url().query(QUrl::FullyDecoded).toStdString(),
            "q=AT&T+C++");
}

constexpr char kHistoryDefinition[] = R"(RYX_Toolbar {
  COMBO { name="q" width="30" maxhistlines="5" }
  COMMANDS { GOTOURL { name="Find" url="{BASE}find?q=%q" } }
  BUTTON { caption="Find" command="Find" }
})";

TEST_F(NarrowWindowTest, WheelAndHeldEnterStartNoSearch) {
  BrowserWindow* window = OpenWith(kHistoryDefinition, "start");
  window->activateWindow();
  SearchBox* box = window->toolbar()->GetSearchBoxOf(0);
  box->AddToHistory("older");
  box->AddToHistory("newer");
  QtSearchBoxView& view = BoxView(window, 0);
  QComboBox* combo = view.combo();
  // A wheel notch over the closed box and the Down key change the text only.
  QPointF at(5, 5);
  QWheelEvent wheel(at, combo->mapToGlobal(at), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(combo, &wheel);
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(combo, &down);
  QTest::qWait(300);
  EXPECT_EQ(CountRequests("/find"), 0);
  EXPECT_FALSE(view.edit()->text().isEmpty());

  // Held Enter: the first press searches, its repeats do not.
  view.edit()->setText("held");
  for (bool repeat : {false, true, true, true}) {
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(),
                    repeat);
    QApplication::sendEvent(view.edit(), &enter);
  }
  ASSERT_TRUE(WaitForTarget(window, "/find?q=held"));
  QTest::qWait(300);
  EXPECT_EQ(CountRequests("/find"), 1);
}

TEST_F(NarrowWindowTest, PanesOpenNewWindowsThroughThePopupFilter) {
  server.SetPage("/opener",
                 "<html><body><a id='l' href='/child' target='_blank'>x</a>"
                 "</body></html>");
  BrowserWindow* window = OpenWith(R"(RYX_Toolbar {
    WEBPAGE { name="Pane" url="{BASE}opener" width="120" }
  })",
                                   "start");
  ASSERT_TRUE(WaitUntil([&] { return CountRequests("/opener") >= 1; }));
  PaneView* pane = window->toolbar()->GetPane(0);
  ASSERT_NE(pane, nullptr);
  QWebEngineView* pane_view = nullptr;
  for (QWebEngineView* v :
       window->toolbar_view()->findChildren<QWebEngineView*>()) {
    pane_view = v;
  }
  ASSERT_NE(pane_view, nullptr);
  ASSERT_TRUE(WaitUntil([&] {
    return RunJavaScriptAndWait(
               pane_view->page(),
               QStringLiteral("!!document.getElementById('l')"))
        .toBool();
  }));
  auto open_from_pane = [&] {
    RunJavaScriptAndWait(pane_view->page(),
                         QStringLiteral("window.open('/child');1"));
  };
  // Blocking on: refused and counted like the page's popups.
  settings->SetDword("PopupBlockingEnabled", 1);
  open_from_pane();
  ASSERT_TRUE(WaitUntil([&] { return window->blocked_popups() == 1; }));
  EXPECT_EQ(app->windows().size(), 1u);
  // Blocking off: a window of its own opens.
  settings->SetDword("PopupBlockingEnabled", 0);
  open_from_pane();
  ASSERT_TRUE(WaitUntil([&] { return app->windows().size() == 2u; }));
  ASSERT_TRUE(WaitForPath(app->windows()[1], "/child"));
}

}  // namespace
}  // namespace zan
