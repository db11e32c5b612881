#ifndef ZAN_HOSTS_BAND_WEB_BROWSER_WINDOW_H_
#define ZAN_HOSTS_BAND_WEB_BROWSER_WINDOW_H_

// windows.h comes first: the COM headers need it.
// clang-format off
#include <windows.h>
#include <exdisp.h>
// clang-format on

#include <functional>
#include <memory>
#include <string>

#include "platform/browser.h"
#include "platform/html_document.h"

namespace zan {

// One window of the system browser through its IWebBrowser2: the browser of
// the band's site, or a new window opened for registration.
class WebBrowserWindow : public Browser {
 public:
  // Holds a reference on `browser` while it lives.
  explicit WebBrowserWindow(IWebBrowser2* browser);
  ~WebBrowserWindow() override;
  WebBrowserWindow(const WebBrowserWindow&) = delete;
  WebBrowserWindow& operator=(const WebBrowserWindow&) = delete;

  IWebBrowser2* get() const { return browser_; }
  // Makes the page document that GetCurrentDocument answers from the
  // browser's document; unset, there is none.
  void SetDocumentSource(
      std::function<HtmlDocument*(IWebBrowser2*)> document_source) {
    document_source_ = std::move(document_source);
  }

  // Navigate2 with the url (a relative one on the product site), no flags, the
  // target frame as a text (also when empty), the post bytes as a byte array
  // and the headers.
  void Navigate(const std::string& url, const std::string& target_frame,
                const std::string& post_data,
                const std::string& headers) override;
  void ShowBar(const std::string& bar_class_id, bool show) override;
  void SetStatusText(const std::string& text) override;
  void Quit() override;
  HtmlDocument* GetCurrentDocument() override;

 private:
  IWebBrowser2* browser_;
  std::function<HtmlDocument*(IWebBrowser2*)> document_source_;
};

// New windows of the system browser, started as a local COM server. The
// start runs on a thread of its own and is given up after a timeout, so
// that a system where no browser can start (or one that never answers)
// costs at most that long and fails nothing else.
class SystemBrowserFactory : public BrowserFactory {
 public:
  explicit SystemBrowserFactory(DWORD timeout_ms = 10000)
      : timeout_ms_(timeout_ms) {}
  Browser* OpenBrowserWindow() override;

 private:
  DWORD timeout_ms_;
  std::unique_ptr<WebBrowserWindow> window_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_WEB_BROWSER_WINDOW_H_
