#ifndef ZAN_BROWSER_BAND_OBJECT_H_
#define ZAN_BROWSER_BAND_OBJECT_H_

#include <functional>
#include <optional>
#include <string_view>

#include "browser/geometry.h"
#include "settings/settings_store.h"

namespace zan {

class ToolbarWindow;

// How many minimum-size requests the process has answered; the first two
// ask for nearly the whole screen so that the toolbar gets a row of its own.
class BandSizeCounter {
 public:
  static BandSizeCounter& Instance();
  int value() const { return value_; }
  void Increment() { ++value_; }
  void Set(int value) { value_ = value; }

 private:
  int value_ = 0;
};

// The sizes the band reports to the browser window.
struct BandInfo {
  Size min_size;
  Size max_size;
  Size integral;
  Size actual;
  int mode_flags = 0;
};

// The toolbar band in one browser window: the host's adapter between the
// browser's events and questions and the toolbar control.
class BandObject {
 public:
  // `ctrl_down` tells whether CTRL is held as the event is handled.
  BandObject(ToolbarWindow& toolbar, const SettingsStore& settings,
             std::function<bool()> ctrl_down);

  // The browser events, by DISPID; the two filters return whether the
  // browser is to cancel.
  bool BeforeNavigate2(std::optional<std::string_view> target_frame);
  bool NewWindow2();
  void DownloadComplete(bool has_document);
  void DocumentComplete(bool has_document);
  void NavigateComplete2();
  void OnQuit();
  // Dispatches an event by DISPID (the filters are not cancellable here).
  void Invoke(int dispid, bool has_document);

  // The band was found in its window and is shown or hidden.
  void ShowDW(bool show);
  bool shown() const { return shown_; }
  // Size answers; `screen_width` is the full-screen client width.
  BandInfo GetBandInfo(int screen_width);
  // The keyboard focus: the first search box takes it on activation.
  void UIActivateIO(bool activate);
  bool HasFocusIO() const;
  bool connected() const { return connected_; }

 private:
  ToolbarWindow& toolbar_;
  const SettingsStore& settings_;
  std::function<bool()> ctrl_down_;
  bool shown_ = false;
  bool connected_ = true;
};

}  // namespace zan

#endif  // ZAN_BROWSER_BAND_OBJECT_H_
