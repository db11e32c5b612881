#ifndef ZAN_HOSTS_QT_QT_TOOLBAR_VIEW_H_
#define ZAN_HOSTS_QT_QT_TOOLBAR_VIEW_H_

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "browser/toolbar_view.h"
#include "hosts/qt/pane_load_gate.h"
#include "hosts/qt/qt_image_list.h"
#include "hosts/qt/zan_web_page.h"

class QWebEngineProfile;

namespace zan {

class QtMenuPopup;

// An address of the definition: a relative one names a page of the product
// web site.
QUrl ResolveSiteUrl(const std::string& url);

// The toolbar control drawn by hand: a flat row of buttons with images from
// the two image lists, text beside them, drop-down arrows, and the child
// windows (search boxes, panes, bitmap buttons) placed over their buttons.
class QtToolbarView : public QWidget, public ToolbarView {
  Q_OBJECT

 public:
  explicit QtToolbarView(QWidget* parent = nullptr,
                         QWebEngineProfile* profile = nullptr);
  ~QtToolbarView() override;

  // ToolbarView:
  void SetEvents(ToolbarViewEvents* events) override { events_ = events; }
  void SetFont(const FontDesc& font) override;
  void SetExtendedStyle(int ex_style) override { ex_style_ = ex_style; }
  void SetBitmapSize(Size size) override;
  bool SetImageLists(const std::string& normal_file,
                     const std::string& hot_file, int image_width) override;
  bool HasImageList() const override { return !images_.Empty(); }
  int ButtonCount() const override { return static_cast<int>(buttons_.size()); }
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
  // Holds the panes' loads while the window's first page loads.
  PaneLoadGate& pane_gate() { return *pane_gate_; }
  std::unique_ptr<MenuButtonView> CreateMenuButton(
      const MenuButtonDesc& desc) override;
  std::unique_ptr<SearchBoxView> CreateSearchBox(
      int item_index, const SearchBoxDesc& desc) override;
  void TrackPopupMenu(const PopupMenu& menu, Point screen_point) override;
  void StartTimer(int timer_id, int interval_ms) override;
  void KillTimer(int timer_id) override;
  // The period of the running toolbar timer `timer_id`; 0 when it does not
  // run.
  int TimerPeriod(int timer_id) const;
  void SetWaitCursor(bool wait) override;
  void FocusParent() override;
  Color ButtonFaceColor() const override;
  void SetIdealWidth(int width) override { ideal_width_ = width; }
  void SetMinimumWidth(int width) override;
  void SetChevron(int first_overflow) override;

  // Where the new windows that the panes' pages ask for come from; unset:
  // the panes open none.
  void set_pane_window_creator(ZanWebPage::WindowCreator creator) {
    pane_window_creator_ = std::move(creator);
  }
  // The chevron button, empty while every button fits.
  QRect chevron_rect() const { return chevron_rect_; }
  // Presses the chevron as a click would (tests and scripted use).
  void ClickChevron();

  // The text of a button as shown, and its style.
  std::string ButtonText(int index) const;
  int ButtonStyle(int index) const;
  int ButtonImage(int index) const;
  int ButtonCommand(int index) const;
  // The popup menu shown now, or null.
  QtMenuPopup* ActiveMenu() const { return active_menu_; }
  int ideal_width() const { return ideal_width_; }
  QSize sizeHint() const override;

  // Lays out and paints one button the way a click would reach it (tests
  // and scripted use): presses and releases the button `command_id`;
  // `on_arrow` presses its drop-down arrow.
  void ClickButton(int command_id, bool on_arrow = false);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool event(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Button {
    ToolbarButtonDesc desc;
    std::string text;
    bool text_set = false;
    int fixed_width = -1;
    QRect rect;
  };

  void Relayout();
  int ButtonWidth(const Button& b) const;
  int ArrowWidth(const Button& b) const;
  bool InArrow(const Button& b, const QPoint& pos) const;
  QString TextOf(const Button& b) const;
  Button* Find(int command_id);
  const Button* Find(int command_id) const;
  void PaintButton(QPainter& p, const Button& b, int index);
  void ShowDropDown(int index);
  bool Overflowed(int index) const {
    return first_overflow_ >= 0 && index >= first_overflow_;
  }
  void PaintChevron(QPainter& p);

  ToolbarViewEvents* events_ = nullptr;
  QWebEngineProfile* profile_;
  std::shared_ptr<PaneLoadGate> pane_gate_ = std::make_shared<PaneLoadGate>();
  QFont font_;
  int ex_style_ = 0;
  Size bitmap_size_{16, 16};
  QtImageList images_;
  QtImageList hot_images_;
  std::vector<Button> buttons_;
  std::vector<std::string> strings_;
  int hot_ = -1;
  int pressed_ = -1;
  bool pressed_arrow_ = false;
  int dropped_ = -1;
  int ideal_width_ = 0;
  int first_overflow_ = -1;
  QRect chevron_rect_;
  bool chevron_hot_ = false;
  bool chevron_down_ = false;
  ZanWebPage::WindowCreator pane_window_creator_;
  QPointer<QtMenuPopup> active_menu_;
  QHash<int, int> timers_;   // Qt timer id -> toolbar timer id
  QHash<int, int> periods_;  // running toolbar timer id -> period in ms
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_TOOLBAR_VIEW_H_
