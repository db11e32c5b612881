#ifndef ZAN_TESTS_QT_HOST_FIXTURE_H_
#define ZAN_TESTS_QT_HOST_FIXTURE_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "browser/toolbar_window.h"
#include "hosts/qt/browser_app.h"
#include "hosts/qt/browser_window.h"
#include "hosts/qt/qt_html_document.h"
#include "hosts/qt/qt_menu_popup.h"
#include "hosts/qt/qt_search_box_view.h"
#include "hosts/qt/qt_toolbar_view.h"
#include "hosts/qt/zan_web_page.h"
#include "platform/posix/sqlite_registry.h"
#include "settings/settings_store.h"
#include "settings/string_utils.h"
#include "tests/support/http_server.h"
#include "tests/support/temp_dir.h"

namespace zan::test {

// Waits, running the event loop, until `done` answers true; false after
// `timeout_ms`.
inline bool WaitUntil(const std::function<bool()>& done,
                      int timeout_ms = 15000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeout_ms) return false;
    QTest::qWait(20);
  }
  return true;
}

// Runs `action` on the modal dialog of type D as soon as one shows; the
// caller then opens it. Gives up after 10 s.
template <typename D>
void WhenDialogShows(std::function<void(D&)> action) {
  auto* poll = new QTimer;
  auto* waited = new QElapsedTimer;
  waited->start();
  poll->setInterval(20);
  QObject::connect(poll, &QTimer::timeout, [poll, waited, action] {
    D* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* d = qobject_cast<D*>(w); d && d->isVisible()) found = d;
    }
    if (!found && waited->elapsed() < 10000) return;
    poll->stop();
    poll->deleteLater();
    delete waited;
    if (found) action(*found);
  });
  poll->start();
}

// A zan-browser process in a test: its own registry file and module folder,
// a loopback HTTP server for the pages and the definition's addresses.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZAN_HOME", home.path().c_str(), 1);
    ASSERT_TRUE(server.ok());
    server.EchoUnknownPaths();
    registry_owned = SqliteRegistry::Open(home.File("registry.db"));
    ASSERT_TRUE(registry_owned);
    registry = registry_owned.get();
    settings = std::make_unique<SettingsStore>(*registry);
  }
  void TearDown() override {
    app.reset();
    QTest::qWait(50);
  }

  // Writes the definition ("{BASE}" stands for the server's address) into
  // the module folder and keeps start-up from fetching a fresh copy.
  void UseDefinition(const std::string& text) {
    std::ofstream(home.File("ZAN.tbd")) << WithBase(text);
    settings->SetString("UpdateAutomatically", "0");
  }

  std::string WithBase(std::string text) const {
    ReplaceAll(text, "{BASE}", server.BaseUrl());
    return text;
  }

  void MakeApp(BrowserOptions options = {}) {
    options.unattended = true;
    app = std::make_unique<BrowserApp>(options, std::move(registry_owned));
  }

  BrowserWindow* Open(const std::string& url) {
    if (!app) MakeApp();
    BrowserWindow* window = app->NewWindow(
        url.empty() ? QUrl() : QUrl(QString::fromStdString(url)));
    if (!url.empty()) {
      EXPECT_TRUE(WaitUntil([window] { return window->page_loaded(); }));
    }
    return window;
  }

  std::string Eval(BrowserWindow* window, const QString& script) {
    return RunJavaScriptAndWait(window->page(), script)
        .toString()
        .toStdString();
  }

  // Uses the definition and opens a window on `path` below the server's
  // address.
  BrowserWindow* OpenWith(const std::string& definition,
                          const std::string& path) {
    UseDefinition(definition);
    return Open(server.BaseUrl() + path);
  }

  bool WaitForPath(BrowserWindow* window, const QString& path) {
    return WaitUntil([&] {
      return window->page()->url().path() == path && window->page_loaded();
    });
  }

  // Waits for the page at `target`: the path and, when there is one, "?"
  // and the query.
  bool WaitForTarget(BrowserWindow* window, const std::string& target) {
    return WaitUntil([&] {
      QUrl url = window->page()->url();
      std::string now = url.path().toStdString();
      if (url.hasQuery()) now += "?" + url.query().toStdString();
      return now == target && window->page_loaded();
    });
  }

  QtSearchBoxView& BoxView(BrowserWindow* window, int item) {
    return dynamic_cast<QtSearchBoxView&>(
        window->toolbar()->GetSearchBoxOf(item)->view());
  }

  // Runs `drive` on the popup menu shown next (once entry `id` has its
  // place, when one is named), from a timer: the menu runs a loop of its
  // own.
  static void WhenMenuShows(QtToolbarView* view,
                            std::function<void(QtMenuPopup&)> drive,
                            int id = 0) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, view, drive, id] {
      QtMenuPopup* menu = view->ActiveMenu();
      if (!menu || !menu->isVisible()) return;
      if (id != 0 && menu->EntryRect(id).isEmpty()) return;
      poll->stop();
      poll->deleteLater();
      drive(*menu);
    });
    poll->start();
  }

  // Chooses entry `id` of the menu shown next with the mouse; `status`
  // gets the status text its hover shows.
  static void ChooseInNextMenu(BrowserWindow* window, int id,
                               std::string* status) {
    WhenMenuShows(
        window->toolbar_view(),
        [window, id, status](QtMenuPopup& menu) {
          QRect entry = menu.EntryRect(id);
          QTest::mouseMove(&menu, entry.center());
          *status = window->status_text();
          QTest::mouseClick(&menu, Qt::LeftButton, {}, entry.center());
        },
        id);
  }

  int CountRequests(const std::string& prefix) const {
    int n = 0;
    for (const auto& r : server.Requests()) {
      if (r.target.rfind(prefix, 0) == 0) ++n;
    }
    return n;
  }

  // Where pictures go: ZAN_PICTURE_DIR, else the build tree.
  static std::string ShotPath(const std::string& name) {
    const char* dir = std::getenv("ZAN_PICTURE_DIR");
    if (dir == nullptr) dir = std::getenv("ZAN_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
  }

  TempDir home;
  HttpServer server;
  std::unique_ptr<SqliteRegistry> registry_owned;
  Registry* registry = nullptr;
  std::unique_ptr<SettingsStore> settings;
  std::unique_ptr<BrowserApp> app;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_QT_HOST_FIXTURE_H_
