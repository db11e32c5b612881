#include "hosts/band/web_browser_window.h"

#include <oleauto.h>

#include "hosts/band/com_text.h"
#include "settings/product_constants.h"

namespace zan {
namespace {

// The post bytes as a one-dimensional byte array, also when there are none.
VARIANT PostDataVariant(const std::string& bytes) {
  VARIANT value;
  VariantInit(&value);
  SAFEARRAY* array =
      SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (array == nullptr) return value;
  void* data = nullptr;
  if (!bytes.empty() && SUCCEEDED(SafeArrayAccessData(array, &data))) {
    memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
  }
  value.vt = VT_ARRAY | VT_UI1;
  value.parray = array;
  return value;
}

}  // namespace

WebBrowserWindow::WebBrowserWindow(IWebBrowser2* browser) : browser_(browser) {
  browser_->AddRef();
}

WebBrowserWindow::~WebBrowserWindow() { browser_->Release(); }

void WebBrowserWindow::Navigate(const std::string& url,
                                const std::string& target_frame,
                                const std::string& post_data,
                                const std::string& headers) {
  // A relative address is one on the product site.
  VARIANT address = TextVariant(SiteUrl(url));
  VARIANT flags;
  VariantInit(&flags);
  VARIANT target = TextVariant(target_frame);
  VARIANT post = PostDataVariant(post_data);
  VARIANT extra = TextVariant(headers);
  browser_->Navigate2(&address, &flags, &target, &post, &extra);
  VariantClear(&address);
  VariantClear(&target);
  VariantClear(&post);
  VariantClear(&extra);
}

void WebBrowserWindow::ShowBar(const std::string& bar_class_id, bool show) {
  VARIANT bar = TextVariant(bar_class_id);
  VARIANT shown;
  VariantInit(&shown);
  shown.vt = VT_BOOL;
  shown.boolVal = show ? VARIANT_TRUE : VARIANT_FALSE;
  VARIANT size;
  VariantInit(&size);
  browser_->ShowBrowserBar(&bar, &shown, &size);
  VariantClear(&bar);
}

void WebBrowserWindow::SetStatusText(const std::string& text) {
  Bstr status(text);
  browser_->put_StatusText(status.get());
}

void WebBrowserWindow::Quit() { browser_->Quit(); }

HtmlDocument* WebBrowserWindow::GetCurrentDocument() {
  return document_source_ ? document_source_(browser_) : nullptr;
}

namespace {

// What the starting thread and the waiting one share; the last of the two
// frees it.
struct BrowserStart {
  HANDLE done = nullptr;
  IStream* marshalled = nullptr;  // the new window, for the waiting thread
  HMODULE module = nullptr;       // keeps this DLL loaded for the thread
  LONG owners = 2;
};

void ReleaseStart(BrowserStart* start) {
  if (InterlockedDecrement(&start->owners) == 0) {
    if (start->marshalled != nullptr) {
      // Given up on: the window is closed again.
      CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      IWebBrowser2* browser = nullptr;
      if (SUCCEEDED(CoGetInterfaceAndReleaseStream(
              start->marshalled, IID_IWebBrowser2,
              reinterpret_cast<void**>(&browser)))) {
        browser->Quit();
        browser->Release();
      }
      CoUninitialize();
    }
    CloseHandle(start->done);
    delete start;
  }
}

DWORD WINAPI StartBrowser(void* parameter) {
  auto* start = static_cast<BrowserStart*>(parameter);
  HMODULE module = start->module;
  if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    IWebBrowser2* browser = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_InternetExplorer, nullptr,
                                   CLSCTX_LOCAL_SERVER, IID_IWebBrowser2,
                                   reinterpret_cast<void**>(&browser)))) {
      browser->put_Visible(VARIANT_TRUE);
      CoMarshalInterThreadInterfaceInStream(IID_IWebBrowser2, browser,
                                            &start->marshalled);
      browser->Release();
    }
    CoUninitialize();
  }
  SetEvent(start->done);
  ReleaseStart(start);
  if (module != nullptr) FreeLibraryAndExitThread(module, 0);
  return 0;
}

void ModuleAnchor() {}

}  // namespace

Browser* SystemBrowserFactory::OpenBrowserWindow() {
  auto* start = new BrowserStart;
  start->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCSTR>(&ModuleAnchor), &start->module);
  HANDLE thread =
      start->done == nullptr
          ? nullptr
          : CreateThread(nullptr, 0, &StartBrowser, start, 0, nullptr);
  if (thread == nullptr) {
    if (start->module != nullptr) FreeLibrary(start->module);
    if (start->done != nullptr) CloseHandle(start->done);
    delete start;
    return nullptr;
  }
  CloseHandle(thread);
  Browser* result = nullptr;
  if (WaitForSingleObject(start->done, timeout_ms_) == WAIT_OBJECT_0 &&
      start->marshalled != nullptr) {
    IWebBrowser2* browser = nullptr;
    IStream* stream = start->marshalled;
    start->marshalled = nullptr;
    if (SUCCEEDED(CoGetInterfaceAndReleaseStream(
            stream, IID_IWebBrowser2, reinterpret_cast<void**>(&browser)))) {
      window_ = std::make_unique<WebBrowserWindow>(browser);
      browser->Release();
      result = window_.get();
    }
  }
  ReleaseStart(start);
  return result;
}

}  // namespace zan
