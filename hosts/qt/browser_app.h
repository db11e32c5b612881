#ifndef ZAN_HOSTS_QT_BROWSER_APP_H_
#define ZAN_HOSTS_QT_BROWSER_APP_H_

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "browser/toolbar_window.h"
#include "commands/toolbar_control.h"
#include "platform/browser.h"
#include "platform/registry.h"

class QWebEnginePage;
class QWebEngineProfile;

namespace zan {

class BrowserWindow;
class QtMessagePump;
class QtToolbarObject;
class QtUi;
class SettingsStore;

// The pages of every window are drawn by the scene graph of the web view.
// Where no OpenGL context can be made (a display without GLX or EGL), the
// software scene graph draws them, so that windows draw instead of failing;
// a backend chosen by QT_QUICK_BACKEND stays. Call once the QApplication
// exists and before the first window.
void ChooseDrawingBackend();

// What zan-browser does with the toolbar's registration before it opens
// its first window.
enum class RegistrationRequest {
  kNone,
  kRegister,
  // Registers only when the toolbar is not registered yet.
  kRegisterIfNeeded,
  kUnregister,
};

struct BrowserOptions {
  // The page of the first window; empty: the product's home page.
  std::string url;
  // Grab the window into this PNG file once it is ready, then quit.
  std::string screenshot;
  // Open the drop-down menu of this item before the screenshot; -1 none.
  int open_menu_item = -1;
  // Write the toolbar's buttons to standard output once it is assembled.
  bool print_toolbar = false;
  // Quit after this many milliseconds; negative: never.
  int quit_after_ms = -1;
  // Message boxes go to standard error with their cautious answer.
  bool unattended = false;
  // Show the toolbar band only while the toolbar is registered, as the
  // system browser shows only registered toolbars. Off for embedders that
  // always want the band.
  bool require_registration = false;
  RegistrationRequest registration = RegistrationRequest::kNone;
};

// The process of zan-browser: the services every window's toolbar shares
// and the windows themselves.
class BrowserApp : public QObject, public BrowserFactory {
  Q_OBJECT

 public:
  // `registry` null: the user's registry store.
  explicit BrowserApp(BrowserOptions options,
                      std::unique_ptr<Registry> registry = nullptr);
  ~BrowserApp() override;

  // A new window with its toolbar; `url` empty loads nothing.
  BrowserWindow* NewWindow(const QUrl& url);
  // Opens the first window as the options ask and arranges the
  // screenshot, the listing and the timed quit. Null when the registration
  // that the options ask for failed (the failure is on standard error).
  BrowserWindow* Run();

  // BrowserFactory:
  Browser* OpenBrowserWindow() override;

  CommandEnvironment& environment() { return environment_; }
  ResourceSource& resources() { return *resources_; }
  QtUi& ui() { return *ui_; }
  QtMessagePump& pump() { return *pump_; }
  const SettingsStore& settings() const { return *settings_; }
  Registry& registry() { return *registry_; }
  QWebEngineProfile* profile() { return profile_; }
  const BrowserOptions& options() const { return options_; }
  const std::string& toolbar_extension() const { return toolbar_extension_; }
  // The hooks that connect a toolbar to command execution and the mail
  // checker.
  ToolbarHooks MakeHooks(BrowserWindow& window);
  MailServices mail_services();
  std::vector<BrowserWindow*> windows() const;
  // The home page of the product site.
  QUrl HomeUrl() const;
  // The object that page script reaches as the toolbar's class.
  QtToolbarObject* toolbar_object() { return toolbar_object_; }

  // Whether the browser's list of toolbars names this toolbar.
  bool IsToolbarRegistered() const;
  // Whether windows show and run the toolbar: not after an uninstall in
  // this process, and, when the options require it, only while the
  // toolbar is registered.
  bool ToolbarWanted() const;
  // The toolbar's registration: the class entries, the browser's toolbar
  // list, the installed-programs entry; opens a window on the product site
  // (the update page after an update, the index page otherwise). True when
  // the class entries were written.
  bool RegisterToolbar();
  // Removes all of that, every downloaded file and every setting, and
  // opens a window on the uninstall page without the toolbar; the toolbars
  // of the windows that stay open are dropped. True when the class entries
  // are gone.
  bool UnregisterToolbar();
  // Posts the toolbar control's private message `message` to every window
  // but `except`.
  void PostToolbarMessage(unsigned message, BrowserWindow* except = nullptr);

 private:
  void WhenReady(BrowserWindow* window);
  void AskWebEngineForProxy();

  BrowserOptions options_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<QtUi> ui_;
  std::unique_ptr<QtMessagePump> pump_;
  struct Services;
  std::unique_ptr<Services> services_;
  std::unique_ptr<ResourceSource> resources_;
  CommandEnvironment environment_;
  QWebEngineProfile* profile_ = nullptr;
  QtToolbarObject* toolbar_object_ = nullptr;
  QWebEnginePage* proxy_probe_ = nullptr;
  std::string toolbar_extension_;
  std::vector<QPointer<BrowserWindow>> windows_;
  bool uninstalled_ = false;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_BROWSER_APP_H_
