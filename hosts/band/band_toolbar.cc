#include "hosts/band/band_toolbar.h"

#include "browser/toolbar_startup.h"
#include "hosts/band/mshtml_document.h"

namespace zan {
namespace {

constexpr char kBandWindowClass[] = "RYXToolBarReflectorWindow";
constexpr UINT kReflected = 0x2000;

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

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&BandWindowProc), &module);
  return module;
}

}  // namespace

BandToolbar::BandToolbar(HWND parent, IWebBrowser2* browser)
    : settings_(registry_) {
  WNDCLASSA band_class{};
  band_class.lpfnWndProc = &BandWindowProc;
  band_class.hInstance = ThisModule();
  band_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  band_class.lpszClassName = kBandWindowClass;
  RegisterClassA(&band_class);  // fails harmlessly once registered
  RECT client{};
  GetClientRect(parent, &client);
  band_window_ = CreateWindowExA(
      0, kBandWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
      client.right, client.bottom, parent, nullptr, ThisModule(), nullptr);

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
  hooks.load_toolbar = MakeLoadToolbarHook(settings_, *resources_, ui_);
  toolbar_ = std::make_unique<ToolbarWindow>(*view_, environment_, *resources_,
                                             std::move(hooks));
  toolbar_->SetBrowser(browser_.get());
  toolbar_->SetToolbarExtension(settings_.GetString("Toolbar Extension", ""));
  band_ = std::make_unique<BandObject>(*toolbar_, settings_, [] {
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  });
  if (view_->window() != nullptr) toolbar_->StartToolbar(false);
}

BandToolbar::~BandToolbar() {
  band_.reset();
  toolbar_.reset();
  view_.reset();
  if (IsWindow(band_window_)) DestroyWindow(band_window_);
}

}  // namespace zan
