#include "hosts/qt/browser_app.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QOpenGLContext>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "browser/menu_builder.h"
#include "commands/macro_state.h"
#include "hosts/qt/browser_profile.h"
#include "hosts/qt/browser_window.h"
#include "hosts/qt/download_manager.h"
#include "hosts/qt/home_page.h"
#include "hosts/qt/qt_accounts_dialog.h"
#include "hosts/qt/qt_menu_popup.h"
#include "hosts/qt/qt_message_pump.h"
#include "hosts/qt/qt_toolbar_object.h"
#include "hosts/qt/qt_toolbar_view.h"
#include "hosts/qt/qt_ui.h"
#include "mail/mail_toolbar.h"
#include "platform/posix/curl_downloader.h"
#include "platform/posix/posix_process_launcher.h"
#include "platform/posix/posix_tcp_connection.h"
#include "platform/posix/process_module.h"
#include "platform/posix/registry_proxy_settings.h"
#include "platform/posix/user_registry.h"
#include "platform/posix/xdg_mail_handler.h"
#include "platform/std/system_clock.h"
#include "settings/product_constants.h"
#include "settings/resource_downloader.h"
#include "settings/settings_store.h"
#include "settings/string_utils.h"
#include "settings/toolbar_registration.h"

namespace zan {
namespace {

void ApplyProxy(const ProxyRecord& record) {
  if (!record.enabled || record.server.empty()) {
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    return;
  }
  QString server = QString::fromStdString(record.server);
  // "host:port", or the first "http=host:port" of a per-protocol list.
  for (const QString& part : server.split(';', Qt::SkipEmptyParts)) {
    QString entry = part.section('=', -1);
    QString host = entry.section(':', 0, 0);
    int port = entry.section(':', 1, 1).toInt();
    if (host.isEmpty()) continue;
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, host, port > 0 ? port : 80));
    return;
  }
}

// `text` as one word of a POSIX shell command line.
std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// The command lines of the system's removal entries on Linux. Nothing in a
// Linux session reads the installed-programs list or the logon-time
// removal list: they are records for people, package scripts and desktop
// tools, and each names a command that works when a shell runs it.
// "UninstallString" runs this program with --unregister (in the settings
// store and module folder it was registered with), as the Uninstall entry
// does. The removal entry written on unregistration deletes the module file,
// as the Windows entry does at the next logon; zan-browser never runs it
// itself, and registering again deletes it.
RemovalCommands LinuxRemovalCommands(const std::string& module_path) {
  std::string uninstall;
  for (const char* name : {"ZAN_HOME", "ZAN_REGISTRY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      uninstall += std::string(name) + "=" + ShellQuote(value) + " ";
    }
  }
  uninstall +=
      ShellQuote(QCoreApplication::applicationFilePath().toStdString()) +
      " --unregister";
  return RemovalCommands{uninstall, "rm -f -- " + ShellQuote(module_path)};
}

}  // namespace

void ChooseDrawingBackend() {
  if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) return;
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
  QOpenGLContext probe;
  if (!probe.create()) {
    std::cerr << "zan-browser: no OpenGL here, pages are drawn in software\n";
    qputenv("QT_QUICK_BACKEND", "software");
  }
}

struct BrowserApp::Services {
  CurlDownloader downloader;
  PosixProcessLauncher launcher;
  std::unique_ptr<RegistryProxySettings> proxy;
  StdRandomSource random;
  std::unique_ptr<XdgMailHandler> mail_handler;
  PosixTcpConnectionFactory connections;
  SystemClock clock;
  ProcessModule module;
};

MailServices BrowserApp::mail_services() {
  return MailServices{&services_->connections, pump_.get(), &services_->clock};
}

BrowserApp::BrowserApp(BrowserOptions options,
                       std::unique_ptr<Registry> registry)
    : options_(std::move(options)),
      registry_(registry ? std::move(registry) : OpenUserRegistry()),
      services_(std::make_unique<Services>()) {
  if (!registry_) {
    std::cerr << "zan-browser: the settings store cannot be opened ("
              << UserRegistryPath() << ")\n";
    std::exit(1);
  }
  settings_ = std::make_unique<SettingsStore>(*registry_);
  ui_ = std::make_unique<QtUi>(options_.unattended);
  pump_ = std::make_unique<QtMessagePump>();
  resources_ = std::make_unique<ResourceDownloader>(
      *settings_, services_->downloader, *ui_, services_->module);
  services_->proxy = std::make_unique<RegistryProxySettings>(
      *registry_, [this](const ProxyRecord& record) {
        ApplyProxy(record);
        AskWebEngineForProxy();
      });
  ApplyProxy(ReadProxyRecord(*registry_));
  services_->mail_handler =
      std::make_unique<XdgMailHandler>(XdgFolders::FromEnvironment());

  environment_.registry = registry_.get();
  environment_.ui = ui_.get();
  environment_.browser_factory = this;
  environment_.process_launcher = &services_->launcher;
  environment_.mail_handler = services_->mail_handler.get();
  environment_.proxy_settings = services_->proxy.get();
  environment_.random = &services_->random;
  environment_.last_combo_values = &LastComboValues::Instance();
  environment_.last_page_url = &LastPageUrl::Instance();

  // Read once, as the process starts.
  toolbar_extension_ = ReadToolbarExtension(*settings_);

  profile_ = CreateBrowserProfile(options_.private_mode, this);
  downloads_ = std::make_unique<DownloadManager>(profile_, DownloadFolder());
  home_page_ = std::make_unique<HomePage>(HomeUrl(), !options_.private_mode);
  toolbar_object_ = new QtToolbarObject(*registry_, this);
}

BrowserApp::~BrowserApp() {
  for (const QPointer<BrowserWindow>& w : windows_) delete w.data();
}

ToolbarHooks BrowserApp::MakeHooks(BrowserWindow& window) {
  ToolbarHooks hooks;
  hooks.show_mail_accounts_dialog = [this, &window] {
    // Owned by the active window of the application, as a dialog opened
    // from the toolbar is; the toolbar's own window when none is active.
    QWidget* owner = QApplication::activeWindow();
    QPointer<BrowserWindow> guard(&window);
    RunMailAccountsDialog(*settings_, *ui_, owner ? owner : &window);
    // The toolbars of the other windows show the new accounts too.
    PostToolbarMessage(kRefreshIndicatorsMessage, guard.data());
  };
  hooks.unregister_toolbar = [this] { UnregisterToolbar(); };
  hooks.still_registered = [this] { return ToolbarWanted(); };
  QPointer<BrowserWindow> guard(&window);
  hooks.uninstalled = [guard] {
    if (guard) guard->DropToolbarLater();
  };
  return hooks;
}

void BrowserApp::AskWebEngineForProxy() {
  // The web engine reads the application proxy again when a request asks it
  // for its proxy: a request that reaches nothing makes it do so now, and
  // once that request is over the new setting holds for the next page.
  if (!profile_) return;
  if (!proxy_probe_) proxy_probe_ = new QWebEnginePage(profile_, this);
  QEventLoop wait;
  QTimer limit;
  limit.setSingleShot(true);
  connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
  connect(proxy_probe_, &QWebEnginePage::loadFinished, &wait,
          &QEventLoop::quit);
  limit.start(3000);
  proxy_probe_->load(QUrl(QStringLiteral("http://127.0.0.1:9/")));
  wait.exec(QEventLoop::ExcludeUserInputEvents);
}

bool BrowserApp::IsToolbarRegistered() const {
  return zan::IsToolbarRegistered(*registry_);
}

bool BrowserApp::ToolbarWanted() const {
  if (uninstalled_) return false;
  return !options_.require_registration || IsToolbarRegistered();
}

bool BrowserApp::RegisterToolbar() {
  uninstalled_ = false;
  const std::string program = services_->module.Path();
  return ToolbarRegistration(*registry_, this, program,
                             LinuxRemovalCommands(program))
      .RegisterServer();
}

bool BrowserApp::UnregisterToolbar() {
  // From here on no window shows or runs a toolbar, also the one that
  // unregistration opens on the uninstall page.
  uninstalled_ = true;
  const std::string program = services_->module.Path();
  const bool removed = ToolbarRegistration(*registry_, this, program,
                                           LinuxRemovalCommands(program))
                           .UnregisterServer();
  // The windows that stay open drop their toolbars instead of writing
  // settings back; the one whose command is running does so once it has
  // returned.
  for (BrowserWindow* w : windows()) w->DropToolbarLater();
  return removed;
}

void BrowserApp::PostToolbarMessage(unsigned message, BrowserWindow* except) {
  for (BrowserWindow* w : windows()) {
    if (w != except) w->PostToolbarMessage(message);
  }
}

QUrl BrowserApp::HomeUrl() const {
  return QUrl(QString::fromStdString(SiteIndexUrl()));
}

BrowserWindow* BrowserApp::NewWindow(const QUrl& url) {
  auto* window = new BrowserWindow(*this);
  windows_.push_back(window);
  window->show();
  window->Start(url);
  return window;
}

Browser* BrowserApp::OpenBrowserWindow() { return NewWindow(QUrl()); }

std::vector<BrowserWindow*> BrowserApp::windows() const {
  std::vector<BrowserWindow*> out;
  for (const QPointer<BrowserWindow>& w : windows_) {
    if (w) out.push_back(w.data());
  }
  return out;
}

BrowserWindow* BrowserApp::Run() {
  switch (options_.registration) {
    case RegistrationRequest::kNone:
      break;
    case RegistrationRequest::kRegister:
      if (!RegisterToolbar()) {
        std::cerr << "zan-browser: the toolbar could not be registered\n";
        return nullptr;
      }
      std::cout << "zan-browser: the toolbar is registered\n";
      break;
    case RegistrationRequest::kRegisterIfNeeded:
      if (!IsToolbarRegistered()) {
        if (!RegisterToolbar()) {
          std::cerr << "zan-browser: the toolbar could not be registered\n";
          return nullptr;
        }
        std::cout << "zan-browser: the toolbar is registered (first run)\n";
      }
      break;
    case RegistrationRequest::kUnregister:
      if (!UnregisterToolbar()) {
        std::cerr << "zan-browser: the toolbar could not be unregistered\n";
        return nullptr;
      }
      std::cout << "zan-browser: the toolbar is no longer registered\n";
      break;
  }
  // Registration opens its own window on the product site.
  std::vector<BrowserWindow*> opened = windows();
  BrowserWindow* window = nullptr;
  if (!opened.empty()) {
    window = opened.back();
  } else {
    QUrl url = options_.url.empty()
                   ? HomeUrl()
                   : QUrl::fromUserInput(QString::fromStdString(options_.url),
                                         QDir::currentPath());
    window = NewWindow(url);
  }
  WhenReady(window);
  if (options_.quit_after_ms >= 0) {
    QTimer::singleShot(options_.quit_after_ms, qApp, &QCoreApplication::quit);
  }
  return window;
}

void BrowserApp::WhenReady(BrowserWindow* window) {
  if (options_.report_load) {
    connect(
        window, &BrowserWindow::pageLoadFinished, this,
        [](bool) { std::cout << "loaded" << std::endl; },
        Qt::SingleShotConnection);
  }
  if (options_.print_toolbar) {
    // A window with a page builds its toolbar once the page's load starts.
    auto print = [window] {
      std::cout << window->ToolbarListing() << std::flush;
    };
    if (window->toolbar_assembled() || !window->band_shown()) {
      print();
    } else {
      connect(window, &BrowserWindow::toolbarAssembled, this, print,
              Qt::SingleShotConnection);
    }
  }
  if (options_.screenshot.empty()) return;
  QPointer<BrowserWindow> guard(window);
  // For the picture the window is as wide as its whole toolbar.
  int wanted = window->toolbar_view()->sizeHint().width() + 24;
  if (wanted > window->width())
    window->resize(std::min(wanted, 2400), window->height());
  auto take = [this, guard](bool) {
    if (!guard) return;
    if (options_.open_menu_item >= 0)
      guard->OpenMenuOf(options_.open_menu_item);
    // Give the page and the panes a moment to paint.
    QTimer::singleShot(900, guard, [this, guard] {
      if (!guard) return;
      // The first entry shows as selected, its hint in the status bar.
      if (QtMenuPopup* menu = guard->toolbar_view()->ActiveMenu()) {
        menu->SelectFirst();
      }
      QImage image = guard->Snapshot();
      QString path = QString::fromStdString(options_.screenshot);
      bool saved = image.save(path, "PNG");
      if (saved) {
        std::cout << "screenshot: "
                  << QFileInfo(path).absoluteFilePath().toStdString() << "\n"
                  << std::flush;
      } else {
        std::cerr << "zan-browser: cannot write " << options_.screenshot
                  << "\n";
      }
      // The other windows and an open dialog beside it: FILE-2.png, ...,
      // FILE-dialog.png.
      QFileInfo info(path);
      auto beside = [&info](const QString& suffix) {
        return info.dir().filePath(info.completeBaseName() + "-" + suffix +
                                   "." + info.suffix());
      };
      int n = 1;
      for (BrowserWindow* other : windows()) {
        if (other == guard.data()) continue;
        QString other_path = beside(QString::number(++n));
        if (other->Snapshot().save(other_path, "PNG")) {
          std::cout << "screenshot: " << other_path.toStdString() << "\n"
                    << std::flush;
        }
      }
      if (QWidget* modal = QApplication::activeModalWidget()) {
        QString dialog_path = beside(QStringLiteral("dialog"));
        if (modal->grab().toImage().save(dialog_path, "PNG")) {
          std::cout << "screenshot: " << dialog_path.toStdString() << "\n"
                    << std::flush;
        }
      }
      QCoreApplication::exit(saved ? 0 : 1);
    });
  };
  connect(window, &BrowserWindow::pageLoadFinished, this, take,
          Qt::SingleShotConnection);
}

}  // namespace zan
