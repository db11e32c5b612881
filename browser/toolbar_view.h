#ifndef ZAN_BROWSER_TOOLBAR_VIEW_H_
#define ZAN_BROWSER_TOOLBAR_VIEW_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/geometry.h"
#include "browser/popup_menu.h"

namespace zan {

// One button as it is added to the toolbar. For a separator `image` holds
// its width.
struct ToolbarButtonDesc {
  int image = 0;
  int command_id = 0;
  int state = 0;
  int style = 0;
  int string_index = 0;
  friend bool operator==(const ToolbarButtonDesc&,
                         const ToolbarButtonDesc&) = default;
};

// A partial change of a button: only the fields that are set change.
struct ButtonInfo {
  std::optional<std::string> text;
  std::optional<int> image;
  std::optional<int> style;
  std::optional<int> state;
  std::optional<int> width;
};

struct FontDesc {
  std::string face;
  int height = 0;
  int weight = 400;
  int pitch_and_family = 0;
  bool italic = false;
};

// An embedded web-page pane over a toolbar button.
class PaneView {
 public:
  virtual ~PaneView() = default;
  virtual void Navigate(const std::string& url) = 0;
  virtual void Move(Rect rect) = 0;
  virtual void Show(bool show) = 0;
  // The address the pane shows now (tests and diagnostics).
  virtual std::string CurrentUrl() const = 0;
};

// A one-button toolbar of its own over a button whose face is a bitmap file.
struct MenuButtonDesc {
  std::string caption;
  std::string image_file;      // full local path
  std::string hot_image_file;  // full local path
  Size image_size;
  bool draw_arrows = true;
  bool whole_dropdown = false;
  int command_id = 0;
};

class MenuButtonView {
 public:
  virtual ~MenuButtonView() = default;
  virtual void Move(Rect rect) = 0;
  virtual void Show(bool show) = 0;
};

// The window side of one search box (a COMBO item).
class SearchBoxView {
 public:
  virtual ~SearchBoxView() = default;
  virtual std::string GetText() const = 0;
  virtual void SetText(const std::string& text) = 0;
  // The index of the chosen entry of a value list, -1 for a history box.
  virtual int CurrentIndex() const = 0;
  virtual void SetCurrentIndex(int index) = 0;
  virtual void SetEntries(const std::vector<std::string>& entries) = 0;
  virtual void Move(Rect rect) = 0;
  virtual void Show(bool show) = 0;
  virtual void SetFocus() = 0;
  virtual bool HasFocus() const = 0;
  // Shows `text` with everything after the first `typed_length` bytes
  // selected, so that typing on replaces the completed tail.
  virtual void ShowCompletion(const std::string& text, int typed_length) = 0;
  // False when the last change came from a key that edits or moves
  // (Backspace, Delete, the arrows, Home, End, Ctrl+C/V/X): such changes
  // are never completed.
  virtual bool LastEditAllowsCompletion() const = 0;
};

struct SearchBoxDesc {
  bool value_list = false;  // COMBOVALUE entries: a drop-down list
  bool edit_only = false;   // type "edit": a plain edit box
  bool password = false;
  int max_chars = 0;
  std::string hint;
  std::vector<std::string> entries;
};

// What the view reports back to the toolbar logic.
class ToolbarViewEvents {
 public:
  virtual ~ToolbarViewEvents() = default;
  // A click on a toolbar button (also a sub-window's button).
  virtual void OnButtonCommand(int command_id) = 0;
  // The drop-down arrow (or the whole button) of `command_id` was pressed;
  // `button_rect` is in screen coordinates.
  virtual void OnDropDown(int command_id, Rect button_rect) = 0;
  // An entry of a shown popup menu was chosen.
  virtual void OnMenuCommand(int command_id) = 0;
  // The selection of a shown popup menu changed: `command_id` 0 when the
  // menu closes, `popup` when a submenu is selected.
  virtual void OnMenuSelect(int command_id, bool popup) = 0;
  // The tooltip for a button, asked when the tip is shown.
  virtual std::string GetTooltip(int command_id) = 0;
  // Tab or Shift+Tab; true when the toolbar handled it.
  virtual bool OnTabKey(bool shift) = 0;
  // Enter in a search box.
  virtual void OnSearchBoxEnter(int item_index) = 0;
  // The text of a search box was edited.
  virtual void OnSearchBoxChanged(int item_index) = 0;
  // Entry `index` of a search box's list was chosen.
  virtual void OnSearchBoxSelected(int item_index, int index) = 0;
  // Text was dropped on a search box.
  virtual void OnSearchBoxDrop(int item_index, const std::string& text) = 0;
  // The list of a history box is about to open.
  virtual void OnSearchBoxListOpening(int /*item_index*/) {}
  // A timer started with StartTimer fired.
  virtual void OnTimer(int timer_id) = 0;
  // The toolbar is now `width` pixels wide.
  virtual void OnToolbarResized(int width) = 0;
  // The chevron button was pressed; `button_rect` in screen coordinates.
  virtual void OnChevron(Rect button_rect) = 0;
  // Entry `index` of a closed history box's list became its text by the
  // wheel or the arrow keys, without the list being opened.
  virtual void OnSearchBoxBrowsed(int item_index, int index) = 0;
};

// The toolbar control as the toolkit shows it: buttons with command
// identifiers, image indexes, string indexes, states and styles, plus the
// child windows of its items and the popup menus.
class ToolbarView {
 public:
  virtual ~ToolbarView() = default;

  virtual void SetEvents(ToolbarViewEvents* events) = 0;

  virtual void SetFont(const FontDesc& font) = 0;
  virtual void SetExtendedStyle(int ex_style) = 0;
  virtual void SetBitmapSize(Size size) = 0;
  // Loads the two image lists: strips of square images `image_width` wide,
  // the top-left pixel's colour transparent. An empty or unreadable file
  // leaves that list empty. Returns whether the normal list has images.
  virtual bool SetImageLists(const std::string& normal_file,
                             const std::string& hot_file, int image_width) = 0;
  virtual bool HasImageList() const = 0;

  virtual int ButtonCount() const = 0;
  virtual void DeleteButton(int index) = 0;
  virtual void AddButtons(const std::vector<ToolbarButtonDesc>& buttons) = 0;
  // Adds a text to the string pool; returns its index.
  virtual int AddString(const std::string& text) = 0;
  // Rectangle of the button at `index` (position, not identifier).
  virtual std::optional<Rect> GetItemRect(int index) const = 0;
  virtual int CommandToIndex(int command_id) const = 0;
  virtual void SetButtonInfo(int command_id, const ButtonInfo& info) = 0;
  virtual void HideButton(int command_id, bool hide) = 0;
  virtual void EnableButton(int command_id, bool enable) = 0;
  virtual void CheckButton(int command_id, bool check) = 0;
  virtual bool IsButtonChecked(int command_id) const = 0;
  virtual int GetButtonState(int command_id) const = 0;
  // Lays the buttons out again (their sizes follow their texts).
  virtual void AutoSize() = 0;
  // Index of the button at a client point, or -1.
  virtual int HitTest(Point p) const = 0;

  virtual std::unique_ptr<PaneView> CreatePane() = 0;
  virtual std::unique_ptr<MenuButtonView> CreateMenuButton(
      const MenuButtonDesc& desc) = 0;
  virtual std::unique_ptr<SearchBoxView> CreateSearchBox(
      int item_index, const SearchBoxDesc& desc) = 0;

  // Shows the popup menu at a screen point until it closes; the choice and
  // the selection changes arrive through the events.
  virtual void TrackPopupMenu(const PopupMenu& menu, Point screen_point) = 0;

  virtual void StartTimer(int timer_id, int interval_ms) = 0;
  virtual void KillTimer(int timer_id) = 0;
  virtual void SetWaitCursor(bool wait) = 0;
  // Gives the keyboard focus to the window around the toolbar.
  virtual void FocusParent() = 0;
  virtual Color ButtonFaceColor() const = 0;
  // The width the band should offer the toolbar.
  virtual void SetIdealWidth(int width) = 0;
  // The narrowest the toolbar may get.
  virtual void SetMinimumWidth(int width) = 0;
  // Buttons from position `first_overflow` on leave the toolbar for the
  // chevron, a "»" button at its end; -1: every button shows, no chevron.
  virtual void SetChevron(int first_overflow) = 0;
};

}  // namespace zan

#endif  // ZAN_BROWSER_TOOLBAR_VIEW_H_
