#ifndef ZAN_TESTS_BROWSER_RECORDING_TOOLBAR_VIEW_H_
#define ZAN_TESTS_BROWSER_RECORDING_TOOLBAR_VIEW_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/command_ids.h"
#include "browser/toolbar_view.h"

namespace zan::test {

// A toolbar view without a screen: buttons are laid out left to right, each
// as wide as its text at 7 pixels a character plus 23 for the image (or its
// fixed width, or 0 when hidden), and every call is recorded.
class RecordingToolbarView : public ToolbarView {
 public:
  struct Button {
    ToolbarButtonDesc desc;
    std::optional<std::string> text;
    int fixed_width = -1;
  };
  struct Pane : PaneView {
    void Navigate(const std::string& url) override { urls.push_back(url); }
    void Move(Rect r) override { rect = r; }
    void Show(bool s) override { shown = s; }
    std::string CurrentUrl() const override {
      return urls.empty() ? std::string() : urls.back();
    }
    std::vector<std::string> urls;
    Rect rect;
    bool shown = false;
  };
  struct Box : SearchBoxView {
    std::string GetText() const override { return text; }
    void SetText(const std::string& t) override { text = t; }
    int CurrentIndex() const override { return index; }
    void SetCurrentIndex(int i) override { index = i; }
    void SetEntries(const std::vector<std::string>& e) override { entries = e; }
    void Move(Rect r) override { rect = r; }
    void Show(bool s) override { shown = s; }
    void SetFocus() override;
    bool HasFocus() const override;
    void ShowCompletion(const std::string& t, int typed) override {
      text = t;
      selection_start = typed;
    }
    bool LastEditAllowsCompletion() const override { return allow_completion; }
    int selection_start = -1;
    bool allow_completion = true;
    RecordingToolbarView* owner = nullptr;
    std::string text;
    int index = -1;
    std::vector<std::string> entries;
    Rect rect;
    bool shown = true;
    SearchBoxDesc desc;
  };
  struct MenuButton : MenuButtonView {
    void Move(Rect r) override { rect = r; }
    void Show(bool s) override { shown = s; }
    MenuButtonDesc desc;
    Rect rect;
    bool shown = true;
  };

  void SetEvents(ToolbarViewEvents* e) override { events = e; }
  void SetFont(const FontDesc& f) override { font = f; }
  void SetExtendedStyle(int s) override { ex_style = s; }
  void SetBitmapSize(Size s) override { bitmap_size = s; }
  bool SetImageLists(const std::string& normal, const std::string& hot,
                     int width) override {
    normal_file = normal;
    hot_file = hot;
    image_width = width;
    return !normal.empty();
  }
  bool HasImageList() const override { return !normal_file.empty(); }
  int ButtonCount() const override { return static_cast<int>(buttons.size()); }
  void DeleteButton(int index) override {
    buttons.erase(buttons.begin() + index);
    ++deleted;
  }
  void AddButtons(const std::vector<ToolbarButtonDesc>& descs) override {
    for (const auto& s : descs) buttons.push_back(Button{s, std::nullopt, -1});
  }
  int AddString(const std::string& text) override {
    strings.push_back(text);
    return static_cast<int>(strings.size()) - 1;
  }
  int Width(const Button& b) const {
    if (b.desc.state & kStateHidden) return 0;
    if (b.desc.style & kStyleSep) return b.desc.image;
    if (b.fixed_width >= 0) return b.fixed_width;
    std::string t =
        b.text.value_or(b.desc.string_index < static_cast<int>(strings.size())
                            ? strings[static_cast<size_t>(b.desc.string_index)]
                            : std::string());
    return 23 + 7 * static_cast<int>(t.size());
  }
  std::optional<Rect> GetItemRect(int index) const override {
    if (index < 0 || index >= ButtonCount()) return std::nullopt;
    int x = 0;
    for (int i = 0; i < index; ++i) x += Width(buttons[static_cast<size_t>(i)]);
    return Rect{x, 0, x + Width(buttons[static_cast<size_t>(index)]), 22};
  }
  int CommandToIndex(int id) const override {
    for (size_t i = 0; i < buttons.size(); ++i) {
      if (buttons[i].desc.command_id == id) return static_cast<int>(i);
    }
    return -1;
  }
  Button* Find(int id) {
    int i = CommandToIndex(id);
    return i < 0 ? nullptr : &buttons[static_cast<size_t>(i)];
  }
  void SetButtonInfo(int id, const ButtonInfo& info) override {
    Button* b = Find(id);
    if (!b) return;
    if (info.text) b->text = *info.text;
    if (info.image) b->desc.image = *info.image;
    if (info.style) b->desc.style = *info.style;
    if (info.state) b->desc.state = *info.state;
    if (info.width) b->fixed_width = *info.width;
  }
  void SetState(int id, int bit, bool on) {
    if (Button* b = Find(id)) {
      b->desc.state = on ? (b->desc.state | bit) : (b->desc.state & ~bit);
    }
  }
  void HideButton(int id, bool hide) override {
    SetState(id, kStateHidden, hide);
  }
  void EnableButton(int id, bool e) override { SetState(id, kStateEnabled, e); }
  void CheckButton(int id, bool c) override { SetState(id, kStateChecked, c); }
  bool IsButtonChecked(int id) const override {
    return (GetButtonState(id) & kStateChecked) != 0 &&
           GetButtonState(id) != -1;
  }
  int GetButtonState(int id) const override {
    int i = CommandToIndex(id);
    return i < 0 ? -1 : buttons[static_cast<size_t>(i)].desc.state;
  }
  void AutoSize() override { ++autosize_count; }
  int HitTest(Point p) const override {
    for (int i = 0; i < ButtonCount(); ++i) {
      if (GetItemRect(i)->Contains(p)) return i;
    }
    return -1;
  }
  std::unique_ptr<PaneView> CreatePane() override {
    auto pane = std::make_unique<Pane>();
    panes.push_back(pane.get());
    return pane;
  }
  std::unique_ptr<MenuButtonView> CreateMenuButton(
      const MenuButtonDesc& desc) override {
    auto button = std::make_unique<MenuButton>();
    button->desc = desc;
    menu_buttons.push_back(button.get());
    return button;
  }
  std::unique_ptr<SearchBoxView> CreateSearchBox(
      int item_index, const SearchBoxDesc& desc) override {
    auto box = std::make_unique<Box>();
    box->owner = this;
    box->desc = desc;
    boxes[item_index] = box.get();
    return box;
  }
  void TrackPopupMenu(const PopupMenu& menu, Point at) override {
    shown_menu_ids.clear();
    for (const auto& e : menu.entries) shown_menu_ids.push_back(e.id);
    menu_point = at;
    if (events && choose_id != 0) events->OnMenuCommand(choose_id);
  }
  void StartTimer(int id, int ms) override { timers[id] = ms; }
  void KillTimer(int id) override { timers.erase(id); }
  void SetWaitCursor(bool) override {}
  void FocusParent() override { focus = nullptr, parent_focused = true; }
  Color ButtonFaceColor() const override { return Color{212, 208, 200}; }
  void SetIdealWidth(int width) override { ideal_width = width; }
  void SetMinimumWidth(int width) override { minimum_width = width; }
  void SetChevron(int first) override { first_overflow = first; }

  ToolbarViewEvents* events = nullptr;
  FontDesc font;
  int ex_style = 0;
  Size bitmap_size;
  std::string normal_file, hot_file;
  int image_width = 0;
  std::vector<Button> buttons;
  std::vector<std::string> strings;
  int deleted = 0;
  int autosize_count = 0;
  std::vector<Pane*> panes;
  std::vector<MenuButton*> menu_buttons;
  std::map<int, Box*> boxes;
  std::vector<int> shown_menu_ids;
  Point menu_point;
  int choose_id = 0;
  std::map<int, int> timers;
  const Box* focus = nullptr;
  bool parent_focused = false;
  int ideal_width = 0;
  int minimum_width = 0;
  int first_overflow = -1;
};

inline void RecordingToolbarView::Box::SetFocus() {
  owner->focus = this;
  owner->parent_focused = false;
}
inline bool RecordingToolbarView::Box::HasFocus() const {
  return owner->focus == this;
}

}  // namespace zan::test

#endif  // ZAN_TESTS_BROWSER_RECORDING_TOOLBAR_VIEW_H_
