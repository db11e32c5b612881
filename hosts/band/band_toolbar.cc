// clang-format off
// Winsock before windows.h, which the toolbar's own header brings in.
#include <winsock2.h>
// clang-format on
#include "hosts/band/band_toolbar.h"

#include "browser/menu_builder.h"
#include "browser/toolbar_startup.h"
#include "hosts/band/band_module.h"
#include "hosts/band/mail_accounts_dialog.h"
#include "hosts/band/mshtml_document.h"
#include "hosts/band/server_module.h"
#include "mail/mail_toolbar.h"
#include "platform/win32/winsock_tcp_connection.h"

namespace zan {
namespace {

constexpr char kBandWindowClass[] = "RYXToolBarReflectorWindow";
constexpr UINT kReflected = 0x2000;
// Posted to the toolbar control after a good load: start the mail timers.
constexpr UINT kStartMailMessage = WM_APP + 0x5A;

// The band window sends the notifications of its child, the toolbar
// control, back to it as reflected messages.
LRESULT CALLBACK BandWindowProc(HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  if (message == WM_COMMAND || message == WM_NOTIFY) {
    HWND toolbar = GetWindow(window, GW_CHILD);
    if (toolbar != nullptr) {
      return SendMessageA(toolbar, kReflected + message, wparam, lparam);
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Every toolbar control on the desktop shows the stored mail results again
// (the accounts may have changed; a pass over no accounts shows nothing).
void RefreshAllIndicators() {
  EnumWindows(
      [](HWND top, LPARAM) -> BOOL {
        EnumChildWindows(
            top,
            [](HWND child, LPARAM) -> BOOL {
              char name[32] = {};
              GetClassNameA(child, name, sizeof(name));
              if (lstrcmpA(name, kToolbarClass) == 0) {
                PostMessageA(child, kRefreshIndicatorsMessage, 0, 0);
              }
              return TRUE;
            },
            0);
        return TRUE;
      },
      0);
}

}  // namespace

BandToolbar::BandToolbar(HWND parent, IWebBrowser2* browser)
    : settings_(registry_) {
  WNDCLASSA band_class{};
  band_class.lpfnWndProc = &BandWindowProc;
  band_class.hInstance = BandModule();
  band_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  band_class.lpszClassName = kBandWindowClass;
  RegisterClassA(&band_class);  // fails harmlessly once registered
  RECT client{};
  GetClientRect(parent, &client);
  band_window_ = CreateWindowExA(
      0, kBandWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
      client.right, client.bottom, parent, nullptr, BandModule(), nullptr);

  resources_ = std::make_unique<ResourceDownloader>(settings_, downloader_, ui_,
                                                    module_);
  environment_.registry = &registry_;
  environment_.ui = &ui_;
  environment_.browser_factory = &browsers_;
  environment_.process_launcher = &launcher_;
  environment_.proxy_settings = &proxy_;
  environment_.random = &random_;
  environment_.last_combo_values = &LastComboValues::Instance();
  environment_.last_page_url = &LastPageUrl::Instance();
  browser_ = std::make_unique<WebBrowserWindow>(browser);
  // The page the commands read and mark.
  browser_->SetDocumentSource(MshtmlDocumentSource());

  view_ = std::make_unique<CommonControlsToolbarView>(
      band_window_, Rect{0, 0, client.right, client.bottom});
  ToolbarHooks hooks;
  // After each good load the mail timers start again, from the browser's
  // message loop once the toolbar shows the new model.
  hooks.load_toolbar = MakeLoadToolbarHook(settings_, *resources_, ui_, [this] {
    if (view_ && view_->window() != nullptr) {
      PostMessageA(view_->window(), kStartMailMessage, 0, 0);
    }
  });
  hooks.show_mail_accounts_dialog = [this] {
    RunMailAccountsDialog(settings_, ui_, GetActiveWindow());
    RefreshAllIndicators();
  };
  toolbar_ = std::make_unique<ToolbarWindow>(*view_, environment_, *resources_,
                                             std::move(hooks));
  toolbar_->SetBrowser(browser_.get());
  toolbar_->SetToolbarExtension(ReadToolbarExtension(settings_));
  band_ = std::make_unique<BandObject>(*toolbar_, settings_, [] {
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  });
  EnableMail();
  if (view_->window() != nullptr) toolbar_->StartToolbar(false);
}

void BandToolbar::EnableMail() {
  connections_ = std::make_unique<WinsockTcpConnectionFactory>();
  toolbar_->EnableMail(MailServices{connections_.get(), &pump_, &clock_});
  if (view_->window() == nullptr) return;
  SetWindowSubclass(view_->window(), &GuardProc, 0,
                    reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK BandToolbar::GuardProc(HWND window, UINT message,
                                        WPARAM wparam, LPARAM lparam,
                                        UINT_PTR /*id*/, DWORD_PTR self) {
  auto* toolbar = reinterpret_cast<BandToolbar*>(self);
  if (toolbar->parked_ &&
      (message == WM_TIMER || message == kStartMailMessage ||
       message == kRefreshIndicatorsMessage)) {
    return 0;
  }
  ++toolbar->depth_;
  LRESULT result = 0;
  if (message == kStartMailMessage) {
    toolbar->toolbar_->StartMailTimers();
  } else if (message == kRefreshIndicatorsMessage) {
    if (MailChecker* checker = toolbar->toolbar_->mail_checker()) {
      checker->RefreshIndicators();
    }
  } else {
    result = DefSubclassProc(window, message, wparam, lparam);
  }
  if (--toolbar->depth_ == 0 && toolbar->parked_) {
    toolbar->parked_ = false;
    delete toolbar;
    ServerModule::Instance().ReleaseObject();
  }
  return result;
}

void BandToolbar::Dispose(std::unique_ptr<BandToolbar> toolbar) {
  if (!toolbar || toolbar->depth_ == 0) return;  // destroyed here
  BandToolbar* parked = toolbar.release();
  parked->Park();
}

void BandToolbar::Park() {
  parked_ = true;
  // The DLL stays loaded while code of the toolbar is on the stack.
  ServerModule::Instance().AddObject();
  // What the band object handed in goes with it.
  view_->SetFocusHandler(nullptr);
  view_->SetIdealWidthHandler(nullptr);
  view_->KillTimer(kMailCheckTimerId);
  view_->KillTimer(kBlinkTimerId);
  pump_.Close();
  if (IsWindow(band_window_)) ShowWindow(band_window_, SW_HIDE);
}

BandToolbar::~BandToolbar() {
  if (view_ && view_->window() != nullptr) {
    RemoveWindowSubclass(view_->window(), &GuardProc, 0);
  }
  // A check still waiting for its server ends without a word.
  pump_.Close();
  band_.reset();
  toolbar_.reset();
  view_.reset();
  if (IsWindow(band_window_)) DestroyWindow(band_window_);
}

}  // namespace zan
