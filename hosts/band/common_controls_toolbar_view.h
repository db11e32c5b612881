#ifndef ZAN_HOSTS_BAND_COMMON_CONTROLS_TOOLBAR_VIEW_H_
#define ZAN_HOSTS_BAND_COMMON_CONTROLS_TOOLBAR_VIEW_H_

#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/toolbar_view.h"

namespace zan {

class OwnerDrawnMenu;

// The window class of the toolbar control.
inline constexpr char kToolbarClass[] = "RYXToolBarCtrl";

// The toolbar control on the system's common controls: a window of the
// class "RYXToolBarCtrl" (the system toolbar "ToolbarWindow32" under its
// own name), whose notifications its parent reflects back to it as the
// message number + 0x2000. Buttons, strings, image lists, tooltips,
// drop-down menus and timers are the system toolbar's; clicks, menu choices
// and timer ticks go to the toolbar logic through the view events.
class CommonControlsToolbarView : public ToolbarView {
 public:
  // Creates the control window inside `parent`.
  CommonControlsToolbarView(HWND parent, Rect rect);
  ~CommonControlsToolbarView() override;
  CommonControlsToolbarView(const CommonControlsToolbarView&) = delete;
  CommonControlsToolbarView& operator=(const CommonControlsToolbarView&) =
      delete;

  HWND window() const { return window_; }
  // Told each time the toolbar reports its ideal width.
  void SetIdealWidthHandler(std::function<void(int)> handler) {
    ideal_width_handler_ = std::move(handler);
  }
  // Told when a search box gets (true) or loses (false) the keyboard focus.
  void SetFocusHandler(std::function<void(bool)> handler) {
    focus_handler_ = std::move(handler);
  }
  // Handles a message of the control window; false leaves it to the system.
  bool HandleMessage(UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT& result);

  void SetEvents(ToolbarViewEvents* events) override { events_ = events; }
  void SetFont(const FontDesc& font) override;
  void SetExtendedStyle(int ex_style) override;
  void SetBitmapSize(Size size) override;
  bool SetImageLists(const std::string& normal_file,
                     const std::string& hot_file, int image_width) override;
  bool HasImageList() const override { return images_ != nullptr; }
  int ButtonCount() const override;
  void DeleteButton(int index) override;
  void AddButtons(const std::vector<ToolbarButtonDesc>& buttons) override;
  int AddString(const std::string& text) override;
  std::optional<Rect> GetItemRect(int index) const override;
  int CommandToIndex(int command_id) const override;
  void SetButtonInfo(int command_id, const ButtonInfo& info) override;
  void HideButton(int command_id, bool hide) override;
  void EnableButton(int command_id, bool enable) override;
  void CheckButton(int command_id, bool check) override;
  bool IsButtonChecked(int command_id) const override;
  int GetButtonState(int command_id) const override;
  void AutoSize() override;
  int HitTest(Point p) const override;
  std::unique_ptr<PaneView> CreatePane() override;
  std::unique_ptr<MenuButtonView> CreateMenuButton(
      const MenuButtonDesc& desc) override;
  std::unique_ptr<SearchBoxView> CreateSearchBox(
      int item_index, const SearchBoxDesc& desc) override;
  void TrackPopupMenu(const PopupMenu& menu, Point screen_point) override;
  void StartTimer(int timer_id, int interval_ms) override;
  void KillTimer(int timer_id) override;
  void SetWaitCursor(bool wait) override;
  void FocusParent() override;
  Color ButtonFaceColor() const override;
  void SetIdealWidth(int width) override;
  void SetMinimumWidth(int width) override { minimum_width_ = width; }
  // The widths last reported by the toolbar; -1 for an ideal width not
  // reported yet.
  int ideal_width() const { return ideal_width_; }
  int minimum_width() const { return minimum_width_; }
  // The browser's rebar shows the chevron of a band that is too narrow
  // (the band asks for it in ShowDW): the toolbar keeps all its buttons.
  void SetChevron(int) override {}

 private:
  LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const {
    return SendMessageA(window_, message, wparam, lparam);
  }

  HWND window_ = nullptr;
  ToolbarViewEvents* events_ = nullptr;
  HIMAGELIST images_ = nullptr;
  HIMAGELIST hot_images_ = nullptr;
  HFONT font_ = nullptr;
  // The text of the tooltip being shown.
  std::string tooltip_text_;
  std::function<void(int)> ideal_width_handler_;
  std::function<void(bool)> focus_handler_;
  // The popup menu while it is shown.
  OwnerDrawnMenu* shown_menu_ = nullptr;
  int minimum_width_ = 0;
  int ideal_width_ = -1;
  // Texts in the system's string pool.
  int added_strings_ = 0;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_COMMON_CONTROLS_TOOLBAR_VIEW_H_
