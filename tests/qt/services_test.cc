// Every service command run from a real toolbar in zan-browser, each with
// what it visibly does; the registration and the toolbar object of page
// script.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <filesystem>

#include "browser/command_ids.h"
#include "browser/toolbar_window.h"
#include "hosts/qt/qt_accounts_dialog.h"
#include "hosts/qt/qt_menu_popup.h"
#include "hosts/qt/qt_toolbar_object.h"
#include "hosts/qt/qt_toolbar_view.h"
#include "hosts/qt/qt_ui.h"
#include "mail/mail_account_store.h"
#include "settings/product_constants.h"
#include "settings/toolbar_registration.h"
#include "tests/qt/host_fixture.h"

namespace zan {
namespace {

// Item i of this toolbar is button 1024 + i.
constexpr char kServicesDefinition[] = R"tbd(RYX_Toolbar {
  COMBO { name="search" width="20" }
  BUTTON { caption="Web" command="WebSearch" }
  BUTTON { caption="Hide" command="Hide" }
  BUTTON { caption="About" command="About" }
  BUTTON { caption="Find" command="Search" }
  BUTTON { caption="Accounts" command="Accounts" }
  BUTTON { caption="Check" command="Check" }
  BUTTON { caption="Clear" command="Clear" }
  BUTTON { caption="Proxy" command="ProxyOn" }
  BUTTON { caption="Direct" command="ProxyOff" }
  BUTTON { caption="Popups" command="Popups" }
  BUTTON { caption="Highlight" command="Highlight" }
  BUTTON { caption="Uninstall" command="Uninstall" }
  BUTTON { caption="Update" command="Update" }
  BUTTON { caption="Colour" command="Colour" }
  COMMANDS {
    GOTOURL { name="WebSearch" url="{BASE}find?q=%search" }
    GOTOURL { name="Colour" url="{BASE}colour?c=%csp(color)" }
    SERVICECOMMAND { name="Hide" type="HideToolbar" }
    SERVICECOMMAND { name="About" type="MessageBox" caption="Hello from ZAN" }
    SERVICECOMMAND { name="Search" type="Search" }
    SERVICECOMMAND { name="Accounts" type="ConfigurePOP3" }
    SERVICECOMMAND { name="Check" type="CheckMail" }
    SERVICECOMMAND { name="Clear" type="ClearHistory" caption="search" }
    SERVICECOMMAND { name="ProxyOn" type="ChangeProxy" caption="{PROXY}" }
    SERVICECOMMAND { name="ProxyOff" type="ChangeProxy" caption="" }
    SERVICECOMMAND { name="Popups" type="TogglePopupBlocking" caption="Blocking on;Blocking off" }
    SERVICECOMMAND { name="Highlight" type="Highlight" caption="yellow" }
    SERVICECOMMAND { name="Uninstall" type="Uninstall" }
    SERVICECOMMAND { name="Update" type="Update" }
  }
})tbd";

enum Item {
  kSearchBox,
  kWeb,
  kHide,
  kAbout,
  kFind,
  kAccounts,
  kCheck,
  kClear,
  kProxyOn,
  kProxyOff,
  kPopups,
  kHighlight,
  kUninstall,
  kUpdate,
  kColour,
};

constexpr char kWordsPage[] = R"html(<!DOCTYPE html><html><body>
<p>The blue sky, a bluebird and more blue water.</p>
</body></html>)html";

class ServicesTest : public test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(proxy.ok());
    proxy.EchoUnknownPaths();
    std::string def = kServicesDefinition;
    def.replace(def.find("{PROXY}"), 7,
                proxy.BaseUrl().substr(7, proxy.BaseUrl().size() - 8));
    UseDefinition(def);
    server.SetPage("/words", kWordsPage);
  }

  void TearDown() override {
    unsetenv("ZAN_SITE_URL");
    HostTest::TearDown();
  }

  void Click(Item item) {
    window->toolbar_view()->ClickButton(ButtonCommandId(item));
  }
  const std::vector<std::string>& Boxes() { return app->ui().shown(); }

  test::HttpServer proxy;
  BrowserWindow* window = nullptr;
};

TEST_F(ServicesTest, MessageSearchHighlightHistoryAndPopups) {
  window = Open(server.BaseUrl() + "words");
  ToolbarWindow* toolbar = window->toolbar();

  // A real message box, captioned with the product name.
  app->ui().set_unattended(false);
  QString box_text, box_title;
  test::WhenDialogShows<QMessageBox>([&](QMessageBox& box) {
    box_text = box.text();
    box_title = box.windowTitle();
    box.button(QMessageBox::Ok)->click();
  });
  Click(kAbout);
  app->ui().set_unattended(true);
  EXPECT_EQ(box_text, QStringLiteral("Hello from ZAN"));
  EXPECT_EQ(box_title, QStringLiteral("ZAN"));

  // Highlight is highlight_test.cc's. Search runs the search command with
  // the box's words.
  SearchBox* box = toolbar->GetSearchBoxOf(kSearchBox);
  box->view().SetText("blue sky");
  Click(kFind);
  ASSERT_TRUE(WaitForPath(window, "/find"));
  EXPECT_EQ(window->page()->url().query().toStdString(), "q=blue+sky");

  // ClearHistory empties the box's history.
  box = toolbar->GetSearchBoxOf(kSearchBox);
  box->AddToHistory("older words");
  ASSERT_FALSE(box->history().empty());
  Click(kClear);
  EXPECT_TRUE(toolbar->GetSearchBoxOf(kSearchBox)->history().empty());

  // The popup blocker goes on and off and says so (what it refuses is
  // browser_host_test.cc's).
  Click(kPopups);
  EXPECT_EQ(Boxes().back(), "ZAN: Blocking on");
  EXPECT_EQ(settings->GetDword("PopupBlockingEnabled", 0), 1u);
  Click(kPopups);
  EXPECT_EQ(Boxes().back(), "ZAN: Blocking off");
  EXPECT_EQ(settings->GetDword("PopupBlockingEnabled", 1), 0u);

  // HideToolbar closes the band in this window.
  ASSERT_TRUE(window->band_widget()->isVisible());
  Click(kHide);
  EXPECT_FALSE(window->band_widget()->isVisible());
  EXPECT_FALSE(window->band_shown());
}

TEST_F(ServicesTest, MailAccountsAndCheckMail) {
  window = Open(server.BaseUrl() + "words");
  bool seen = false;
  test::WhenDialogShows<QtAccountsDialog>([&](QtAccountsDialog& d) {
    seen = true;
    EXPECT_TRUE(d.isModal());
    EXPECT_EQ(d.parentWidget(), window);
    QTest::mouseClick(d.Control(AccountsControl::kAdd), Qt::LeftButton);
    QTest::mouseClick(d.Control(AccountsControl::kOk), Qt::LeftButton);
  });
  Click(kAccounts);
  ASSERT_TRUE(seen);
  MailAccountStore store(*settings);
  ASSERT_EQ(store.AccountCount(), 1u);
  EXPECT_EQ(store.ReadServer("1").value_or(""), "new server 1");

  // CheckMail checks every account now, even one checked a moment ago:
  // here against a port that refuses at once, which leaves an error.
  store.SaveAccounts({{"127.0.0.1", "user1", "secret", "10", "0"}});
  store.WriteLastCheckTime("1", static_cast<uint32_t>(time(nullptr)));
  window->toolbar()->mail_checker()->set_port(1);
  Click(kCheck);
  EXPECT_NE(store.ReadError("1"), "");
  EXPECT_EQ(store.ReadBusy("1").value_or(0), 0u);
}

TEST_F(ServicesTest, ChangeProxyReachesTheWebEngineAtOnce) {
  window = Open(server.BaseUrl() + "words");
  const QUrl far(QStringLiteral("http://zan-proxy-check.invalid/through"));
  Click(kProxyOn);
  window->page()->load(far);
  ASSERT_TRUE(test::WaitUntil([&] {
    for (const auto& r : proxy.Requests()) {
      if (r.target == "http://zan-proxy-check.invalid/through") return true;
    }
    return false;
  })) << "the proxy saw no request";
  ASSERT_TRUE(test::WaitUntil([&] { return window->page_loaded(); }));

  Click(kProxyOff);
  const size_t seen_by_proxy = proxy.Requests().size();
  window->page()->load(
      QUrl(QString::fromStdString(server.BaseUrl() + "direct")));
  ASSERT_TRUE(WaitForPath(window, "/direct"));
  EXPECT_EQ(CountRequests("/direct"), 1);
  window->page()->load(far);
  ASSERT_TRUE(test::WaitUntil([&] { return window->page_loaded(); }));
  EXPECT_EQ(proxy.Requests().size(), seen_by_proxy);
}

TEST_F(ServicesTest, UpdateRebuildsTheToolbarFromFreshFiles) {
  setenv("ZAN_SITE_URL", server.BaseUrl().c_str(), 1);
  std::string fresh = WithBase(kServicesDefinition);
  fresh.replace(fresh.find("  COMMANDS {"), 0,
                "  BUTTON { caption=\"Fresh\" command=\"Colour\" }\n");
  server.SetPage("/ZAN.tbd", fresh);
  window = Open(server.BaseUrl() + "words");
  const int before = window->toolbar_view()->ButtonCount();
  Click(kUpdate);
  ASSERT_TRUE(WaitForPath(window, "/update.html"));
  EXPECT_EQ(CountRequests("/ZAN.tbd"), 1);
  EXPECT_EQ(window->toolbar_view()->ButtonCount(), before + 1);
  EXPECT_EQ(window->toolbar_view()->ButtonText(before), "Fresh");
  EXPECT_EQ(settings->GetString("GlobalUpdateFlag", ""), "0");
  // The same window, its new toolbar working.
  EXPECT_EQ(app->windows().size(), 1u);
  window->toolbar_view()->ClickButton(ButtonCommandId(kFind));
  EXPECT_TRUE(WaitForPath(window, "/find"));
}

TEST_F(ServicesTest, RegistrationShowsTheBandAndUninstallRemovesIt) {
  BrowserOptions options;
  options.require_registration = true;
  MakeApp(options);
  // Not registered: the window has no toolbar band.
  BrowserWindow* plain = Open(server.BaseUrl() + "words");
  EXPECT_FALSE(plain->band_widget()->isVisible());
  EXPECT_FALSE(plain->toolbar_assembled());

  setenv("ZAN_SITE_URL", server.BaseUrl().c_str(), 1);
  ASSERT_TRUE(app->RegisterToolbar());
  EXPECT_TRUE(app->IsToolbarRegistered());
  ASSERT_EQ(app->windows().size(), 2u);
  window = app->windows().back();
  ASSERT_TRUE(WaitForPath(window, "/index.html"));
  EXPECT_TRUE(window->band_widget()->isVisible());
  EXPECT_EQ(window->toolbar_view()->ButtonCount(), kColour + 1);

  // An installer's update: registering again opens the update page.
  settings->SetString("ToolBarUpdateInProgress", "1");
  ASSERT_TRUE(app->RegisterToolbar());
  ASSERT_TRUE(WaitForPath(app->windows().back(), "/update.html"));
  EXPECT_EQ(settings->GetString("ToolBarUpdateInProgress", ""), "0");
  app->windows().back()->close();

  // A second window with the toolbar stays open through the uninstall.
  BrowserWindow* other =
      app->NewWindow(QUrl(QString::fromStdString(server.BaseUrl() + "words")));
  ASSERT_TRUE(WaitForPath(other, "/words"));
  ASSERT_TRUE(other->band_shown());
  ASSERT_NE(other->toolbar()->GetModel(), nullptr);

  // Uninstall answered with Yes in the real box: the window closes, everything
  // goes, and a window without the band shows the uninstall page.
  settings->SetDword("PopupBlockingEnabled", 1);
  app->ui().set_unattended(false);
  test::WhenDialogShows<QMessageBox>(
      [](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
  QPointer<BrowserWindow> guard(window);
  Click(kUninstall);
  app->ui().set_unattended(true);
  unsetenv("ZAN_SITE_URL");
  ASSERT_TRUE(test::WaitUntil([&] { return guard.isNull(); }));
  EXPECT_FALSE(app->IsToolbarRegistered());
  EXPECT_EQ(settings->GetDword("PopupBlockingEnabled", 7), 7u);
  BrowserWindow* last = app->windows().back();
  ASSERT_TRUE(WaitForPath(last, "/uninstall.html"));
  EXPECT_FALSE(last->band_widget()->isVisible());
  EXPECT_FALSE(last->toolbar_active());
  // The window that stayed open dropped its band (that its toolbar then
  // writes nothing back is uninstall_test.cc's).
  ASSERT_TRUE(test::WaitUntil([&] { return !other->band_shown(); }));
  EXPECT_FALSE(other->toolbar_active());
  EXPECT_EQ(other->toolbar_view()->ButtonCount(), 0);
  EXPECT_EQ(registry->OpenKey(RegistryHive::kCurrentUser, ProductKeyPath()),
            nullptr);
}

// A store whose class entries cannot be written or removed.
class NoClassesRoot : public Registry {
 public:
  explicit NoClassesRoot(std::unique_ptr<Registry> inner)
      : inner_(std::move(inner)) {}
  std::unique_ptr<RegistryKey> OpenHive(RegistryHive hive) override {
    if (hive == RegistryHive::kClassesRoot) return nullptr;
    return inner_->OpenHive(hive);
  }

 private:
  std::unique_ptr<Registry> inner_;
};

TEST_F(ServicesTest, FailedRegistrationOrUnregistrationIsReported) {
  for (RegistrationRequest request :
       {RegistrationRequest::kRegister, RegistrationRequest::kUnregister}) {
    BrowserOptions options;
    options.unattended = true;
    options.registration = request;
    BrowserApp failing(options,
                       std::make_unique<NoClassesRoot>(
                           SqliteRegistry::Open(home.File("registry.db"))));
    EXPECT_EQ(failing.Run(), nullptr);
  }
}

TEST_F(ServicesTest, PageScriptSetsClientSideProperties) {
  window = Open(server.BaseUrl() + "words");
  auto run = [&](const char* call) {
    Eval(window,
         QStringLiteral("window.__r = undefined;"
                        "CreateToolbarObject('RYX.ZAN').then(function(o)"
                        "{ if (!o) { window.__r = 'none'; return; }"
                        "  return o.SetClientSideProperty(%1)"
                        "    .then(function(ok) { window.__r = String(ok); });"
                        "}); ''")
             .arg(QLatin1String(call)));
    std::string result;
    EXPECT_TRUE(test::WaitUntil(
        [&] {
          result = Eval(window, QStringLiteral("String(window.__r)"));
          return result != "undefined";
        },
        5000));
    return result;
  };
  // The class is not registered yet: script cannot create it.
  EXPECT_EQ(run("'color', 'red'"), "none");
  ToolbarRegistration(*registry, nullptr, "/opt/zan/zan.so")
      .RegisterClassEntries();
  EXPECT_EQ(run("'color', 'red'"), "true");
  EXPECT_EQ(settings->GetString("CSP_color", ""), "red");
  // Script values keep their type on the way (their text is the
  // client_side_property suite's rule); a refusal comes back as false.
  EXPECT_EQ(run("'flag', true"), "true");
  EXPECT_EQ(settings->GetString("CSP_flag", ""), "True");
  EXPECT_EQ(run("'gone', null"), "false");
  EXPECT_EQ(run("'color', 'green'"), "true");
  // Script that goes around CreateToolbarObject is held to the same rule.
  ToolbarRegistration(*registry, nullptr, "/opt/zan/zan.so")
      .UnregisterClassEntries();
  QJsonObject name{{"t", "string"}, {"v", "color"}};
  QJsonObject value{{"t", "string"}, {"v", "blue"}};
  EXPECT_FALSE(app->toolbar_object()->SetClientSideProperty(name, value));
  EXPECT_EQ(settings->GetString("CSP_color", ""), "green");
  ToolbarRegistration(*registry, nullptr, "/opt/zan/zan.so")
      .RegisterClassEntries();

  // "%csp(" reads what the page stored.
  Click(kColour);
  ASSERT_TRUE(WaitForPath(window, "/colour"));
  EXPECT_EQ(window->page()->url().query().toStdString(), "c=green");
  EXPECT_EQ(app->toolbar_object()->IsCreatable(QStringLiteral("RYX.ZAN.1")),
            true);
  EXPECT_EQ(app->toolbar_object()->IsCreatable(QStringLiteral("Other.Thing")),
            false);
}

}  // namespace
}  // namespace zan

namespace zan {
namespace {

// Runs zan-browser with `args` on the test's registry and module folder;
// its standard output.
std::string RunProgram(const test::TempDir& home, const QStringList& args) {
  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("ZAN_REGISTRY"),
             QString::fromStdString(home.File("registry.db")));
  env.insert(QStringLiteral("ZAN_HOME"), QString::fromStdString(home.path()));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  program.setProcessEnvironment(env);
  const char* build = std::getenv("ZAN_BINARY_DIR");
  program.start(QString::fromUtf8(build ? build : ".") +
                    QStringLiteral("/hosts/qt/zan-browser"),
                args);
  if (!program.waitForFinished(30000)) {
    program.kill();
    program.waitForFinished(5000);
    ADD_FAILURE() << "zan-browser did not end";
  }
  EXPECT_EQ(program.exitCode(), 0);
  return program.readAllStandardOutput().toStdString();
}

// What `zan-reg export` prints for the test's registry.
std::string Export(const test::TempDir& home) {
  QProcess tool;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("ZAN_REGISTRY"),
             QString::fromStdString(home.File("registry.db")));
  tool.setProcessEnvironment(env);
  const char* build = std::getenv("ZAN_BINARY_DIR");
  tool.start(
      QString::fromUtf8(build ? build : ".") + QStringLiteral("/tools/zan-reg"),
      QStringList{QStringLiteral("export")});
  EXPECT_TRUE(tool.waitForFinished(30000));
  EXPECT_EQ(tool.exitCode(), 0);
  return tool.readAllStandardOutput().toStdString();
}

TEST(ProgramRegistrationTest, RegisterShowsTheToolbarAndUnregisterRemovesIt) {
  test::TempDir home;
  const QStringList listing = {QStringLiteral("--print-toolbar"),
                               QStringLiteral("--quit-after"),
                               QStringLiteral("300")};
  // (Without a registration the window has no toolbar: the in-process
  // registration test shows it.)
  std::string out =
      RunProgram(home, QStringList{QStringLiteral("--register")} + listing);
  EXPECT_NE(out.find("the toolbar is registered"), std::string::npos) << out;
  EXPECT_NE(out.find("1024\t"), std::string::npos) << out;
  // Registered once, the toolbar shows in every window; no second
  // registration.
  out = RunProgram(
      home, QStringList{QStringLiteral("--register-if-needed")} + listing);
  EXPECT_EQ(out.find("registered"), std::string::npos) << out;
  EXPECT_NE(out.find("1024\t"), std::string::npos) << out;

  // The installed-programs entry names a command that works here: run by a
  // shell, it runs the program's own --unregister on this store.
  std::string uninstall;
  {
    auto registry = SqliteRegistry::Open(home.File("registry.db"));
    auto entry = registry->OpenKey(
        RegistryHive::kLocalMachine,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZAN Inc.ZAN");
    ASSERT_NE(entry, nullptr);
    auto value = entry->QueryValue("UninstallString");
    ASSERT_TRUE(value.has_value());
    uninstall = value->data.substr(0, value->data.find('\0'));
  }
  EXPECT_NE(uninstall.find("zan-browser' --unregister"), std::string::npos)
      << uninstall;
  QProcess shell;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("ZAN_HOME"));
  env.remove(QStringLiteral("ZAN_REGISTRY"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  shell.setProcessEnvironment(env);
  shell.start(QStringLiteral("/bin/sh"),
              {QStringLiteral("-c"),
               QString::fromStdString(uninstall +
                                      " --print-toolbar --quit-after 300")});
  ASSERT_TRUE(shell.waitForFinished(30000));
  EXPECT_EQ(shell.exitCode(), 0);
  out = shell.readAllStandardOutput().toStdString();
  EXPECT_NE(out.find("no longer registered"), std::string::npos) << out;
  EXPECT_EQ(out.find("1024\t"), std::string::npos) << out;
  // The downloaded definition went with the registration, and no setting
  // is left: not even the uninstall page's window wrote one.
  EXPECT_FALSE(std::filesystem::exists(home.File("ZAN.tbd")));
  std::string exported = Export(home);
  EXPECT_EQ(exported.find("ZAN Inc.\\ZAN]"), std::string::npos) << exported;
  EXPECT_NE(exported.find("ZAN Inc.]"), std::string::npos) << exported;
  EXPECT_NE(exported.find("\"Remove ZAN Inc.\"=\"rm -f -- '"),
            std::string::npos)
      << exported;
}

}  // namespace
}  // namespace zan
