#ifndef ZAN_SETTINGS_BROWSER_UTILS_H_
#define ZAN_SETTINGS_BROWSER_UTILS_H_

#include <string>

#include "platform/browser.h"

namespace zan {

// Opens a new visible browser window into `browser`, only when `browser` is
// null; true when a window was opened.
bool OpenBrowserWindow(Browser*& browser, BrowserFactory& factory);
// Shows or hides the toolbar band `bar_class_id` in `browser`.
void ShowExplorerBar(Browser& browser, const std::string& bar_class_id,
                     bool show);
// ShowExplorerBar, then navigates `browser` to `url`.
void ShowExplorerBarAt(Browser& browser, const std::string& bar_class_id,
                       const std::string& url, bool show);

}  // namespace zan

#endif  // ZAN_SETTINGS_BROWSER_UTILS_H_
