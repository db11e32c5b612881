#ifndef ZAN_HOSTS_BAND_COMBO_SEARCH_BOX_VIEW_H_
#define ZAN_HOSTS_BAND_COMBO_SEARCH_BOX_VIEW_H_

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "browser/toolbar_view.h"

namespace zan {

class SearchBoxDropTarget;

// Control identifiers of the search boxes: 0x6000 + item index, above every
// command identifier.
inline constexpr int kFirstSearchBoxId = 0x6000;

// A search box on the system's controls: a combo box with an edit and a
// list (a history box), a drop-down list (a value list), or a single-line
// edit (type "edit", optionally a password field). The box reports to the
// toolbar logic what the user does: typing (completed as the logic
// decides), Enter, a choice from the open list, browsing the closed list
// with the arrow keys or the wheel, the list about to open, and text
// dropped on it (the window is an OLE drop target).
class ComboSearchBoxView : public SearchBoxView {
 public:
  // `events` and `focus_handler` belong to the toolbar view, which outlives
  // the box; the events may change or become null meanwhile.
  ComboSearchBoxView(HWND parent, int item_index, const SearchBoxDesc& desc,
                     ToolbarViewEvents* const& events,
                     const std::function<void(bool)>& focus_handler);
  ~ComboSearchBoxView() override;
  ComboSearchBoxView(const ComboSearchBoxView&) = delete;
  ComboSearchBoxView& operator=(const ComboSearchBoxView&) = delete;

  // The box that owns `window` (its outer window or its edit), or null.
  static ComboSearchBoxView* FromWindow(HWND window);
  // A key message for the box that holds the keyboard focus, before the
  // browser's own accelerators see it; true when the box took it (the
  // browser then does nothing more with it). Tab is taken and ignored (the
  // toolbar's message hook moves the focus); the keys that edit or move
  // (Backspace, Delete, the arrows left and right, Home, End, Ctrl+C/V/X)
  // and Enter and Escape while the list is open go to the box at once;
  // every other message is left to the browser, which hands typed
  // characters on to the box as usual.
  static bool TranslateAccelerator(const MSG& message);
  // A notification of the box's window to its parent (the code of a
  // WM_COMMAND: CBN_* of a combo, EN_* of an edit box).
  void OnNotification(int code);

  // The outer window and the edit window (null for a value list).
  HWND window() const { return window_; }
  HWND edit() const { return edit_; }

  // SearchBoxView:
  std::string GetText() const override;
  void SetText(const std::string& text) override;
  int CurrentIndex() const override;
  void SetCurrentIndex(int index) override;
  void SetEntries(const std::vector<std::string>& entries) override;
  void Move(Rect rect) override;
  void Show(bool show) override;
  void SetFocus() override;
  bool HasFocus() const override;
  void ShowCompletion(const std::string& text, int typed_length) override;
  bool LastEditAllowsCompletion() const override { return allow_completion_; }

 private:
  static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wparam,
                                   LPARAM lparam);
  LRESULT OnEditMessage(UINT message, WPARAM wparam, LPARAM lparam);
  bool ListDropped() const;
  void AddTooltip(HWND parent, const std::string& hint);
  void OnDrop(const std::string& text);

  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  WNDPROC edit_proc_ = nullptr;
  HWND tooltips_ = nullptr;
  SearchBoxDropTarget* drop_target_ = nullptr;
  bool drop_registered_ = false;
  bool value_list_;
  bool edit_only_;
  int item_index_;
  ToolbarViewEvents* const& events_;
  const std::function<void(bool)>& focus_handler_;
  // Cleared while the edit handles a key or command that edits or moves:
  // the change it makes is not completed.
  bool allow_completion_ = true;
  // Set while the box changes its own text or list: those changes are no
  // user's edits.
  bool changing_ = false;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_COMBO_SEARCH_BOX_VIEW_H_
