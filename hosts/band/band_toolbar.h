#ifndef ZAN_HOSTS_BAND_BAND_TOOLBAR_H_
#define ZAN_HOSTS_BAND_BAND_TOOLBAR_H_

#include <windows.h>
// clang-format off
#include <exdisp.h>
// clang-format on

#include <memory>

#include "browser/band_object.h"
#include "browser/toolbar_window.h"
#include "commands/macro_state.h"
#include "hosts/band/closable_message_pump.h"
#include "hosts/band/common_controls_toolbar_view.h"
#include "hosts/band/web_browser_window.h"
#include "platform/std/system_clock.h"
#include "platform/tcp_connection.h"
#include "platform/win32/message_box_ui.h"
#include "platform/win32/url_moniker_downloader.h"
#include "platform/win32/win32_module.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/wininet_proxy_settings.h"
#include "settings/resource_downloader.h"
#include "settings/settings_store.h"

namespace zan {

// Everything a band object builds in its browser window once it has a
// site: the band window ("RYXToolBarReflectorWindow", which sends the
// toolbar's notifications back to it), the toolbar control on the common
// controls, the toolbar logic over it with the services it runs on, and
// the band's adapter that decides on the browser's events.
class BandToolbar {
 public:
  // Creates the windows inside `parent` and starts the toolbar (the
  // definition is loaded and the buttons built).
  BandToolbar(HWND parent, IWebBrowser2* browser);
  ~BandToolbar();
  BandToolbar(const BandToolbar&) = delete;
  BandToolbar& operator=(const BandToolbar&) = delete;

  // Destroys `toolbar` now or, when it is inside a message loop that one of
  // its own windows' messages started (a mail check waiting for its server,
  // the accounts dialog, a menu), as soon as that message is handled: until
  // then its windows are hidden, its timers do nothing, and a running mail
  // check ends at once.
  static void Dispose(std::unique_ptr<BandToolbar> toolbar);

  // The toolbar control window; null when it could not be created.
  HWND toolbar_window() const { return view_ ? view_->window() : nullptr; }
  HWND band_window() const { return band_window_; }
  BandObject& band() { return *band_; }
  ToolbarWindow& toolbar() { return *toolbar_; }
  CommonControlsToolbarView& view() { return *view_; }

 private:
  // Mail: the checks run on Winsock, this thread's window messages and the
  // system clock; after each good load of the definition the timers start
  // from the browser's message loop, with a pass at once.
  void EnableMail();
  // Sees every message of the toolbar control first: counts the ones being
  // handled, starts the mail timers, refreshes the indicators (message
  // 0x5B34), and deletes a parked toolbar once its last message is done.
  static LRESULT CALLBACK GuardProc(HWND window, UINT message, WPARAM wparam,
                                    LPARAM lparam, UINT_PTR id, DWORD_PTR self);
  // Disposed while busy: hidden, timers and the running check stopped.
  void Park();

  HWND band_window_ = nullptr;
  Win32Registry registry_;
  SettingsStore settings_;
  MessageBoxUi ui_;
  UrlMonikerDownloader downloader_;
  Win32Module module_;
  Win32ProcessLauncher launcher_;
  WinInetProxySettings proxy_;
  StdRandomSource random_;
  SystemBrowserFactory browsers_;
  std::unique_ptr<ResourceDownloader> resources_;
  CommandEnvironment environment_;
  std::unique_ptr<WebBrowserWindow> browser_;
  std::unique_ptr<CommonControlsToolbarView> view_;
  std::unique_ptr<ToolbarWindow> toolbar_;
  std::unique_ptr<BandObject> band_;
  std::unique_ptr<TcpConnectionFactory> connections_;
  ClosableMessagePump pump_;
  SystemClock clock_;
  // Messages of the toolbar window being handled, nested ones included.
  int depth_ = 0;
  // Disposed while `depth_` was above 0: deleted when it drops to 0.
  bool parked_ = false;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_BAND_TOOLBAR_H_
