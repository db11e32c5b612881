#ifndef ZAN_PLATFORM_BROWSER_H_
#define ZAN_PLATFORM_BROWSER_H_

#include <string>

namespace zan {

class HtmlDocument;

// One window of the host browser, as the toolbar in it sees it.
class Browser {
 public:
  virtual ~Browser() = default;

  // Navigates the window, or the frame named `target_frame` when it is not
  // empty. `post_data` empty means a GET; `headers` are extra request
  // header lines, each ending in "\r\n".
  virtual void Navigate(const std::string& url, const std::string& target_frame,
                        const std::string& post_data,
                        const std::string& headers) = 0;
  // Shows or hides the toolbar band identified by its class id in this
  // window.
  virtual void ShowBar(const std::string& bar_class_id, bool show) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  // Closes this browser window.
  virtual void Quit() = 0;
  // The page the window shows, or nullptr. The browser owns it.
  virtual HtmlDocument* GetCurrentDocument() = 0;
};

// Opens new top-level windows of the host browser.
class BrowserFactory {
 public:
  virtual ~BrowserFactory() = default;
  // A new visible window, owned by the host; nullptr when none can be
  // opened.
  virtual Browser* OpenBrowserWindow() = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_BROWSER_H_
