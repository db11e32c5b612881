#ifndef ZAN_TESTS_QT_SEARCH_HOST_FIXTURE_H_
#define ZAN_TESTS_QT_SEARCH_HOST_FIXTURE_H_

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "browser/toolbar_window.h"
#include "platform/posix/sqlite_registry.h"
#include "platform/qt/browser_app.h"
#include "platform/qt/browser_window.h"
#include "platform/qt/qt_html_document.h"
#include "platform/qt/qt_menu_popup.h"
#include "platform/qt/qt_search_box.h"
#include "platform/qt/qt_toolbar_view.h"
#include "platform/qt/qt_web_page.h"
#include "settings/settings_store.h"
#include "tests/qt/echo_http_server.h"
#include "tests/support/temp_dir.h"

namespace zan::test {

// Polls `done` while the event loop runs, at most `timeout_ms`.
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

// One zan-browser process in a temporary module folder, with a definition
// of the test's own and a loopback HTTP server whose address replaces
// "{BASE}" in the definition.
class SearchHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZAN_HOME", home.path().c_str(), 1);
    ASSERT_TRUE(server.ok());
    registry_owned = SqliteRegistry::Open(home.File("registry.db"));
    ASSERT_TRUE(registry_owned);
    registry = registry_owned.get();
  }
  void TearDown() override {
    app.reset();
    QTest::qWait(50);
  }

  SettingsStore Settings() { return SettingsStore(*registry); }

  BrowserWindow* OpenWith(std::string definition, const std::string& path) {
    for (size_t at = definition.find("{BASE}"); at != std::string::npos;
         at = definition.find("{BASE}", at)) {
      definition.replace(at, 6, server.BaseUrl());
    }
    std::ofstream(home.File("ZAN.tbd")) << definition;
    Settings().SetString("UpdateAutomatically", "0");
    BrowserOptions options;
    options.unattended = true;
    app = std::make_unique<BrowserApp>(options, std::move(registry_owned));
    BrowserWindow* window =
        app->NewWindow(QUrl(QString::fromStdString(server.BaseUrl() + path)));
    EXPECT_TRUE(WaitUntil([window] { return window->page_loaded(); }));
    return window;
  }

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

  // Where screenshots go: the build tree.
  static std::string ShotPath(const std::string& name) {
    const char* dir = std::getenv("ZAN_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
  }

  TempDir home;
  EchoHttpServer server;
  std::unique_ptr<SqliteRegistry> registry_owned;
  Registry* registry = nullptr;
  std::unique_ptr<BrowserApp> app;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_QT_SEARCH_HOST_FIXTURE_H_
