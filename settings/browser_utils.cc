#include "settings/browser_utils.h"

namespace zan {

bool OpenBrowserWindow(Browser*& browser, BrowserFactory& factory) {
  if (browser != nullptr) return false;
  browser = factory.OpenBrowserWindow();
  return browser != nullptr;
}

void ShowExplorerBar(Browser& browser, const std::string& bar_class_id,
                     bool show) {
  browser.ShowBar(bar_class_id, show);
}

void ShowExplorerBarAt(Browser& browser, const std::string& bar_class_id,
                       const std::string& url, bool show) {
  ShowExplorerBar(browser, bar_class_id, show);
  browser.Navigate(url, "", "", "");
}

}  // namespace zan
