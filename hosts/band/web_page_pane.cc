#include "hosts/band/web_page_pane.h"

#include "hosts/band/band_module.h"
#include "hosts/band/com_text.h"
#include "hosts/band/pane_control_site.h"

namespace zan {
namespace {

constexpr char kPaneClass[] = "MSHTML_Toolbar_Page";

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wparam,
                          LPARAM lparam) {
  if (message == WM_SIZE) {
    auto* pane = reinterpret_cast<WebPagePane*>(
        GetWindowLongPtrA(window, GWLP_USERDATA));
    if (pane != nullptr) pane->FitControl();
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void RegisterPaneClass() {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExA(BandModule(), kPaneClass, &existing)) return;
  WNDCLASSEXA pane_class{};
  pane_class.cbSize = sizeof(pane_class);
  pane_class.lpfnWndProc = &PaneProc;
  pane_class.hInstance = BandModule();
  pane_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  pane_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  pane_class.lpszClassName = kPaneClass;
  RegisterClassExA(&pane_class);
}

}  // namespace

WebPagePane::WebPagePane(HWND parent) {
  RegisterPaneClass();
  window_ = CreateWindowExA(0, kPaneClass, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0,
                            0, 0, parent, nullptr, BandModule(), nullptr);
  if (window_ == nullptr) return;
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Embed();
}

WebPagePane::~WebPagePane() {
  if (window_ != nullptr) SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  Unembed();
  if (IsWindow(window_)) DestroyWindow(window_);
}

bool WebPagePane::Embed() {
  IOleObject* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IOleObject,
                              reinterpret_cast<void**>(&object))) ||
      object == nullptr) {
    return false;
  }
  object_ = object;
  site_ = new PaneControlSite(window_);
  if (FAILED(object_->SetClientSite(site_->client_site()))) {
    Unembed();
    return false;
  }
  OleSetContainedObject(object_, TRUE);
  RECT client{};
  GetClientRect(window_, &client);
  if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                             site_->client_site(), 0, window_, &client))) {
    Unembed();
    return false;
  }
  object_->QueryInterface(IID_IOleInPlaceObject,
                          reinterpret_cast<void**>(&in_place_));
  object_->QueryInterface(IID_IWebBrowser2,
                          reinterpret_cast<void**>(&browser_));
  if (browser_ == nullptr) {
    Unembed();
    return false;
  }
  // Script errors of a page in a toolbar strip raise no dialogs.
  browser_->put_Silent(VARIANT_TRUE);
  return true;
}

void WebPagePane::Unembed() {
  if (browser_ != nullptr) {
    browser_->Stop();
    browser_->Release();
    browser_ = nullptr;
  }
  if (in_place_ != nullptr) {
    in_place_->InPlaceDeactivate();
    in_place_->Release();
    in_place_ = nullptr;
  }
  if (object_ != nullptr) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_->Release();
    object_ = nullptr;
  }
  if (site_ != nullptr) {
    site_->Detach();
    site_->Release();
    site_ = nullptr;
  }
}

void WebPagePane::Navigate(const std::string& url) {
  url_ = url;
  if (browser_ == nullptr) return;
  Bstr text(url);
  VARIANT address;
  VariantInit(&address);
  address.vt = VT_BSTR;
  address.bstrVal = text.get();
  VARIANT empty;
  VariantInit(&empty);
  browser_->Navigate2(&address, &empty, &empty, &empty, &empty);
}

void WebPagePane::Move(Rect rect) {
  MoveWindow(window_, rect.left, rect.top, rect.right - rect.left,
             rect.bottom - rect.top, TRUE);
}

void WebPagePane::Show(bool show) {
  ShowWindow(window_, show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void WebPagePane::FitControl() {
  if (in_place_ == nullptr) return;
  RECT client{};
  GetClientRect(window_, &client);
  in_place_->SetObjectRects(&client, &client);
}

}  // namespace zan
