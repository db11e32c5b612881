#ifndef ZAN_HOSTS_BAND_WEB_PAGE_PANE_H_
#define ZAN_HOSTS_BAND_WEB_PAGE_PANE_H_

// windows.h comes first: the COM headers need it.
// clang-format off
#include <windows.h>
#include <exdisp.h>
#include <ole2.h>
// clang-format on

#include <string>

#include "browser/toolbar_view.h"

namespace zan {

class PaneControlSite;

// A web-page pane: a window of the class "MSHTML_Toolbar_Page" over its
// button, holding the system's HTML control (the WebBrowser control, placed
// in-place through a site of its own) that shows the pane's page. Where the
// system cannot create the control the pane stays an empty window that
// remembers where it was sent, and nothing else changes.
class WebPagePane : public PaneView {
 public:
  explicit WebPagePane(HWND parent);
  ~WebPagePane() override;
  WebPagePane(const WebPagePane&) = delete;
  WebPagePane& operator=(const WebPagePane&) = delete;

  void Navigate(const std::string& url) override;
  void Move(Rect rect) override;
  void Show(bool show) override;
  std::string CurrentUrl() const override { return url_; }

  HWND window() const { return window_; }
  // Whether the HTML control lives in the pane.
  bool has_control() const { return browser_ != nullptr; }
  // The control follows the size of the pane window.
  void FitControl();

 private:
  // Creates the control and activates it in place; false leaves the pane
  // without one.
  bool Embed();
  // Deactivates, closes and lets go of the control.
  void Unembed();

  HWND window_ = nullptr;
  std::string url_;
  PaneControlSite* site_ = nullptr;
  IOleObject* object_ = nullptr;
  IOleInPlaceObject* in_place_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_WEB_PAGE_PANE_H_
