#include "hosts/qt/qt_toolbar_view.h"

#include <QApplication>
#include <QEventLoop>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimerEvent>
#include <QToolTip>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>

#include "browser/adjust_color.h"
#include "browser/chevron_layout.h"
#include "browser/command_ids.h"
#include "browser/menu_painter.h"
#include "hosts/qt/qt_geometry.h"
#include "hosts/qt/qt_menu_popup.h"
#include "hosts/qt/qt_search_box_view.h"
#include "settings/product_constants.h"

namespace zan {
namespace {

constexpr int kButtonHeight = 22;
constexpr int kSplitArrowWidth = 13;
constexpr int kWholeArrowWidth = 10;

void DrawArrow(QPainter& p, const QRect& area, const QColor& color) {
  int cx = area.center().x() + 1, cy = area.center().y() + 1;
  QPoint tri[3] = {QPoint(cx - 3, cy - 1), QPoint(cx + 3, cy - 1),
                   QPoint(cx, cy + 2)};
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawPolygon(tri, 3);
}

// A web-page pane: a small page view of its own. The view and its page are
// made at the first load, so that a pane costs the web engine nothing
// while its load waits at the gate.
class QtPaneView : public PaneView {
 public:
  QtPaneView(QWidget* parent, QWebEngineProfile* profile,
             const ZanWebPage::WindowCreator& creator,
             std::shared_ptr<PaneLoadGate> gate)
      : parent_(parent),
        profile_(profile),
        creator_(creator),
        gate_(std::move(gate)) {}
  ~QtPaneView() override {
    *alive_ = false;
    if (view_) {
      view_->hide();
      view_->deleteLater();
    }
  }
  void Navigate(const std::string& url) override {
    url_ = ResolveSiteUrl(url);
    std::weak_ptr<bool> alive = alive_;
    QUrl target = url_;
    gate_->Run([this, alive, target] {
      if (alive.expired() || !*alive.lock()) return;
      if (QWebEngineView* view = View()) view->setUrl(target);
    });
  }
  void Move(Rect rect) override {
    geometry_ = ToQ(rect);
    if (view_) view_->setGeometry(geometry_);
  }
  void Show(bool show) override {
    shown_ = show;
    if (view_) view_->setVisible(show);
  }
  std::string CurrentUrl() const override {
    QUrl url = view_ ? view_->url() : url_;
    return url.toString().toStdString();
  }

 private:
  QWebEngineView* View() {
    if (view_ || !parent_) return view_;
    view_ = new QWebEngineView(parent_);
    if (profile_) {
      // New windows the pane's page asks for go where the main page's go,
      // through the same popup filter.
      auto* page = new ZanWebPage(profile_, view_);
      if (creator_) page->set_window_creator(creator_);
      view_->setPage(page);
    }
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    view_->setGeometry(geometry_);
    view_->setVisible(shown_);
    return view_;
  }

  QPointer<QWidget> parent_;
  QWebEngineProfile* profile_;
  ZanWebPage::WindowCreator creator_;
  std::shared_ptr<PaneLoadGate> gate_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  QPointer<QWebEngineView> view_;
  QUrl url_;
  QRect geometry_;
  bool shown_ = false;
};

// A button whose face is a bitmap of its own, with a drop-down arrow.
class BitmapButton : public QWidget {
 public:
  BitmapButton(QWidget* parent, const MenuButtonDesc& desc,
               ToolbarViewEvents** events)
      : QWidget(parent), desc_(desc), events_(events) {
    normal_.LoadSingle(QString::fromStdString(desc.image_file));
    hot_.LoadSingle(QString::fromStdString(
        desc.hot_image_file.empty() ? desc.image_file : desc.hot_image_file));
    setMouseTracking(true);
    setToolTip(QString());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QRect r = rect().adjusted(0, 0, -1, -1);
    if (hot_state_ || down_) {
      QColor hl = palette().color(QPalette::Highlight);
      p.setPen(hl);
      p.setBrush(ToQ(AdjustColor(FromQ(hl), down_ ? 60 : 80, -40)));
      p.drawRoundedRect(r, 2, 2);
    }
    const QtImageList& list = hot_state_ ? hot_ : normal_;
    if (const QPixmap* pm = list.Image(0)) {
      p.drawPixmap(2, (height() - pm->height()) / 2, *pm);
    }
    if (desc_.draw_arrows) {
      DrawArrow(p, QRect(width() - 12, 0, 12, height()),
                palette().color(QPalette::WindowText));
    }
  }
  void enterEvent(QEnterEvent*) override {
    hot_state_ = true;
    update();
  }
  void leaveEvent(QEvent*) override {
    hot_state_ = false;
    update();
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    bool arrow = desc_.whole_dropdown ||
                 (desc_.draw_arrows && e->position().x() >= width() - 12);
    if (arrow && *events_) {
      QPoint tl = mapToGlobal(QPoint(0, 0));
      (*events_)->OnDropDown(
          desc_.command_id,
          Rect{tl.x(), tl.y(), tl.x() + width(), tl.y() + height()});
      return;
    }
    down_ = true;
    update();
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    bool was_down = down_;
    down_ = false;
    update();
    if (was_down && rect().contains(e->position().toPoint()) && *events_) {
      (*events_)->OnButtonCommand(desc_.command_id);
    }
  }
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ToolTip && *events_) {
      auto* help = static_cast<QHelpEvent*>(e);
      std::string tip = (*events_)->GetTooltip(desc_.command_id);
      if (tip.empty()) {
        QToolTip::hideText();
      } else {
        QToolTip::showText(help->globalPos(), QString::fromStdString(tip),
                           this);
      }
      return true;
    }
    return QWidget::event(e);
  }

 private:
  MenuButtonDesc desc_;
  ToolbarViewEvents** events_;
  QtImageList normal_;
  QtImageList hot_;
  bool hot_state_ = false;
  bool down_ = false;
};

class QtMenuButtonView : public MenuButtonView {
 public:
  explicit QtMenuButtonView(BitmapButton* button) : button_(button) {
    button_->show();
  }
  ~QtMenuButtonView() override {
    if (button_) {
      button_->hide();
      button_->deleteLater();
    }
  }
  void Move(Rect rect) override {
    if (button_) button_->setGeometry(ToQ(rect));
  }
  void Show(bool show) override {
    if (button_) button_->setVisible(show);
  }

 private:
  QPointer<BitmapButton> button_;
};

}  // namespace

QUrl ResolveSiteUrl(const std::string& url) {
  return QUrl(QString::fromStdString(SiteUrl(url)));
}

QtToolbarView::QtToolbarView(QWidget* parent, QWebEngineProfile* profile)
    : QWidget(parent), profile_(profile) {
  setMouseTracking(true);
  setAttribute(Qt::WA_Hover);
  setFixedHeight(kButtonHeight);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QtToolbarView::~QtToolbarView() {
  if (active_menu_) active_menu_->close();
}

void QtToolbarView::SetFont(const FontDesc& desc) {
  QFont f(QString::fromStdString(desc.face));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(desc.height);
  f.setWeight(desc.weight >= 700 ? QFont::Bold : QFont::Normal);
  f.setItalic(desc.italic);
  font_ = f;
  QWidget::setFont(f);
  Relayout();
}

void QtToolbarView::SetBitmapSize(Size size) {
  bitmap_size_ = size;
  Relayout();
}

bool QtToolbarView::SetImageLists(const std::string& normal_file,
                                  const std::string& hot_file,
                                  int image_width) {
  images_.Load(QString::fromStdString(normal_file), image_width);
  hot_images_.Load(
      QString::fromStdString(hot_file.empty() ? normal_file : hot_file),
      image_width);
  Relayout();
  return !images_.Empty();
}

void QtToolbarView::DeleteButton(int index) {
  if (index < 0 || index >= ButtonCount()) return;
  buttons_.erase(buttons_.begin() + index);
  hot_ = pressed_ = -1;
  Relayout();
}

void QtToolbarView::AddButtons(const std::vector<ToolbarButtonDesc>& descs) {
  for (const ToolbarButtonDesc& desc : descs) {
    Button b;
    b.desc = desc;
    buttons_.push_back(b);
  }
  Relayout();
}

int QtToolbarView::AddString(const std::string& text) {
  strings_.push_back(text);
  Relayout();
  return static_cast<int>(strings_.size()) - 1;
}

std::optional<Rect> QtToolbarView::GetItemRect(int index) const {
  if (index < 0 || index >= ButtonCount()) return std::nullopt;
  const QRect& r = buttons_[static_cast<size_t>(index)].rect;
  return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

int QtToolbarView::CommandToIndex(int command_id) const {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (buttons_[i].desc.command_id == command_id) return static_cast<int>(i);
  }
  return -1;
}

QtToolbarView::Button* QtToolbarView::Find(int command_id) {
  int i = CommandToIndex(command_id);
  return i < 0 ? nullptr : &buttons_[static_cast<size_t>(i)];
}

const QtToolbarView::Button* QtToolbarView::Find(int command_id) const {
  int i = CommandToIndex(command_id);
  return i < 0 ? nullptr : &buttons_[static_cast<size_t>(i)];
}

void QtToolbarView::SetButtonInfo(int command_id, const ButtonInfo& info) {
  Button* b = Find(command_id);
  if (!b) return;
  if (info.text) {
    b->text = *info.text;
    b->text_set = true;
  }
  if (info.image) b->desc.image = *info.image;
  if (info.style) b->desc.style = *info.style;
  if (info.state) b->desc.state = *info.state;
  if (info.width) b->fixed_width = *info.width;
  Relayout();
}

void QtToolbarView::HideButton(int command_id, bool hide) {
  Button* b = Find(command_id);
  if (!b) return;
  b->desc.state =
      hide ? (b->desc.state | kStateHidden) : (b->desc.state & ~kStateHidden);
  Relayout();
}

void QtToolbarView::EnableButton(int command_id, bool enable) {
  Button* b = Find(command_id);
  if (!b) return;
  b->desc.state = enable ? (b->desc.state | kStateEnabled)
                         : (b->desc.state & ~kStateEnabled);
  update();
}

void QtToolbarView::CheckButton(int command_id, bool check) {
  Button* b = Find(command_id);
  if (!b) return;
  b->desc.state = check ? (b->desc.state | kStateChecked)
                        : (b->desc.state & ~kStateChecked);
  update();
}

bool QtToolbarView::IsButtonChecked(int command_id) const {
  const Button* b = Find(command_id);
  return b && (b->desc.state & kStateChecked) != 0;
}

int QtToolbarView::GetButtonState(int command_id) const {
  const Button* b = Find(command_id);
  return b ? b->desc.state : -1;
}

void QtToolbarView::AutoSize() { Relayout(); }

int QtToolbarView::HitTest(Point p) const {
  if (chevron_rect_.contains(p.x, p.y)) return -1;
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (Overflowed(static_cast<int>(i))) break;
    if (buttons_[i].rect.contains(p.x, p.y)) return static_cast<int>(i);
  }
  return -1;
}

QString QtToolbarView::TextOf(const Button& b) const {
  if (b.desc.style & kStyleSep) return QString();
  if (b.text_set) return QString::fromStdString(b.text);
  int s = b.desc.string_index;
  if (s >= 0 && s < static_cast<int>(strings_.size())) {
    return QString::fromStdString(strings_[static_cast<size_t>(s)]);
  }
  return QString();
}

int QtToolbarView::ArrowWidth(const Button& b) const {
  if (b.desc.style & kStyleWholeDropDown) return kWholeArrowWidth;
  if ((b.desc.style & kStyleDropDown) &&
      (ex_style_ & kExStyleDrawDropDownArrows)) {
    return kSplitArrowWidth;
  }
  return 0;
}

int QtToolbarView::ButtonWidth(const Button& b) const {
  if (b.desc.state & kStateHidden) return 0;
  if (b.desc.style & kStyleSep) return b.desc.image > 0 ? b.desc.image : 8;
  if (b.fixed_width >= 0) return b.fixed_width;
  QString text = TextOf(b);
  bool has_image = b.desc.image >= 0 && images_.Image(b.desc.image);
  int w = 6;
  if (has_image) w += bitmap_size_.width;
  if (!text.isEmpty()) {
    w += (has_image ? 4 : 0) + QFontMetrics(font_).horizontalAdvance(text) + 2;
  }
  w += 6;
  return w + ArrowWidth(b);
}

void QtToolbarView::Relayout() {
  int x = 0;
  for (Button& b : buttons_) {
    int w = ButtonWidth(b);
    b.rect = QRect(x, 0, w, kButtonHeight);
    x += w;
  }
  // The buttons that went into the chevron keep their places (the toolbar
  // measures them) but are neither drawn nor hit.
  chevron_rect_ = first_overflow_ >= 0
                      ? QRect(width() - kChevronButtonWidth, 0,
                              kChevronButtonWidth, kButtonHeight)
                      : QRect();
  updateGeometry();
  update();
}

QSize QtToolbarView::sizeHint() const {
  int w = buttons_.empty() ? 100 : buttons_.back().rect.right() + 1;
  return QSize(w, kButtonHeight);
}

std::string QtToolbarView::ButtonText(int index) const {
  if (index < 0 || index >= ButtonCount()) return {};
  return TextOf(buttons_[static_cast<size_t>(index)]).toStdString();
}
int QtToolbarView::ButtonStyle(int index) const {
  return index < 0 || index >= ButtonCount()
             ? 0
             : buttons_[static_cast<size_t>(index)].desc.style;
}
int QtToolbarView::ButtonImage(int index) const {
  return index < 0 || index >= ButtonCount()
             ? 0
             : buttons_[static_cast<size_t>(index)].desc.image;
}
int QtToolbarView::ButtonCommand(int index) const {
  return index < 0 || index >= ButtonCount()
             ? 0
             : buttons_[static_cast<size_t>(index)].desc.command_id;
}

void QtToolbarView::PaintButton(QPainter& p, const Button& b, int index) {
  const QRect r = b.rect;
  if (r.width() <= 0) return;
  const QPalette pal = palette();
  const Color hl = FromQ(pal.color(QPalette::Highlight));
  if (b.desc.style & kStyleSep) {
    int cx = r.center().x();
    p.setPen(ToQ(AdjustColor(FromQ(pal.color(QPalette::Button)), -22, 0)));
    p.drawLine(cx, r.top() + 3, cx, r.bottom() - 3);
    p.setPen(ToQ(AdjustColor(FromQ(pal.color(QPalette::Button)), 80, 0)));
    p.drawLine(cx + 1, r.top() + 3, cx + 1, r.bottom() - 3);
    return;
  }
  const bool enabled = (b.desc.state & kStateEnabled) != 0;
  const bool indeterminate = (b.desc.state & kStateIndeterminate) != 0;
  const bool checked = (b.desc.state & kStateChecked) != 0;
  const bool hot = enabled && index == hot_;
  const bool pressed = enabled && (index == pressed_ || index == dropped_);
  QRect face = r.adjusted(0, 0, -1, -1);
  if (pressed || checked || hot) {
    QColor fill = ToQ(AdjustColor(hl,
                                  pressed   ? 55
                                  : checked ? 65
                                            : 80,
                                  pressed ? -30 : -40));
    p.setPen(ToQ(hl));
    p.setBrush(fill);
    p.drawRoundedRect(face, 2.5, 2.5);
    int arrow = ArrowWidth(b);
    if ((b.desc.style & kStyleDropDown) && arrow > 0) {
      int ax = r.right() - arrow + 1;
      p.drawLine(ax, r.top() + 1, ax, r.bottom() - 1);
    }
  }
  int x = r.left() + 6;
  int shift = index == pressed_ && !pressed_arrow_ ? 1 : 0;
  if (b.desc.image >= 0 && images_.Image(b.desc.image)) {
    int y = (r.height() - bitmap_size_.height) / 2 + shift;
    if (!enabled || indeterminate) {
      p.drawPixmap(x + shift, y, images_.Disabled(b.desc.image));
    } else {
      const QtImageList& list =
          (hot || pressed) && hot_images_.Image(b.desc.image) ? hot_images_
                                                              : images_;
      p.drawPixmap(x + shift, y, *list.Image(b.desc.image));
    }
    x += bitmap_size_.width + 4;
  }
  QString text = TextOf(b);
  if (!text.isEmpty()) {
    QColor color = pal.color(QPalette::WindowText);
    if (hot || pressed) color = ToQ(kHotButtonTextColor);
    if (!enabled) color = pal.color(QPalette::Disabled, QPalette::WindowText);
    p.setPen(color);
    p.setFont(font_);
    QRect tr(x + shift, r.top() + shift, r.right() - ArrowWidth(b) - x,
             r.height());
    p.drawText(tr, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
  }
  if (int arrow = ArrowWidth(b)) {
    DrawArrow(p, QRect(r.right() - arrow + 1, r.top(), arrow, r.height()),
              enabled ? pal.color(QPalette::WindowText)
                      : pal.color(QPalette::Disabled, QPalette::WindowText));
  }
}

void QtToolbarView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, false);
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (Overflowed(static_cast<int>(i))) break;
    PaintButton(p, buttons_[i], static_cast<int>(i));
  }
  PaintChevron(p);
}

bool QtToolbarView::InArrow(const Button& b, const QPoint& pos) const {
  if (b.desc.style & kStyleWholeDropDown) return true;
  int arrow = ArrowWidth(b);
  return (b.desc.style & kStyleDropDown) && arrow > 0 &&
         pos.x() > b.rect.right() - arrow;
}

void QtToolbarView::mouseMoveEvent(QMouseEvent* event) {
  int i = HitTest(
      Point{event->position().toPoint().x(), event->position().toPoint().y()});
  if (i >= 0 && (buttons_[static_cast<size_t>(i)].desc.style & kStyleSep)) {
    i = -1;
  }
  bool on_chevron = chevron_rect_.contains(event->position().toPoint());
  if (i != hot_ || on_chevron != chevron_hot_) {
    hot_ = i;
    chevron_hot_ = on_chevron;
    update();
  }
}

void QtToolbarView::leaveEvent(QEvent*) {
  hot_ = -1;
  chevron_hot_ = false;
  update();
}

void QtToolbarView::ShowDropDown(int index) {
  const Button& b = buttons_[static_cast<size_t>(index)];
  if (!events_) return;
  QPoint tl = mapToGlobal(b.rect.topLeft());
  Rect rect{tl.x(), tl.y(), tl.x() + b.rect.width(), tl.y() + b.rect.height()};
  // The button looks pressed while its menu is open.
  dropped_ = index;
  update();
  events_->OnDropDown(b.desc.command_id, rect);
  dropped_ = -1;
  update();
}

void QtToolbarView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  QPoint pos = event->position().toPoint();
  if (chevron_rect_.contains(pos)) {
    ClickChevron();
    return;
  }
  int i = HitTest(Point{pos.x(), pos.y()});
  if (i < 0) return;
  const Button& b = buttons_[static_cast<size_t>(i)];
  if ((b.desc.style & kStyleSep) || !(b.desc.state & kStateEnabled) ||
      (b.desc.state & kStateIndeterminate)) {
    return;
  }
  pressed_ = i;
  pressed_arrow_ = InArrow(b, pos);
  update();
  if (pressed_arrow_) {
    ShowDropDown(i);
    pressed_ = -1;
    update();
  }
}

void QtToolbarView::mouseReleaseEvent(QMouseEvent* event) {
  int i = pressed_;
  pressed_ = -1;
  update();
  if (i < 0 || event->button() != Qt::LeftButton) return;
  QPoint pos = event->position().toPoint();
  if (!buttons_[static_cast<size_t>(i)].rect.contains(pos)) return;
  if (events_)
    events_->OnButtonCommand(buttons_[static_cast<size_t>(i)].desc.command_id);
}

void QtToolbarView::ClickButton(int command_id, bool on_arrow) {
  int i = CommandToIndex(command_id);
  if (i < 0) return;
  const Button& b = buttons_[static_cast<size_t>(i)];
  if (on_arrow || (b.desc.style & kStyleWholeDropDown)) {
    ShowDropDown(i);
  } else if (events_) {
    events_->OnButtonCommand(command_id);
  }
}

bool QtToolbarView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    int i = HitTest(Point{help->pos().x(), help->pos().y()});
    std::string tip;
    if (i >= 0 && events_) {
      tip =
          events_->GetTooltip(buttons_[static_cast<size_t>(i)].desc.command_id);
    }
    if (tip.empty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), QString::fromStdString(tip), this,
                         buttons_[static_cast<size_t>(i)].rect);
    }
    return true;
  }
  return QWidget::event(event);
}

std::unique_ptr<PaneView> QtToolbarView::CreatePane() {
  return std::make_unique<QtPaneView>(this, profile_, pane_window_creator_,
                                      pane_gate_);
}

void QtToolbarView::SetMinimumWidth(int width) {
  setMinimumWidth(std::max(0, width));
}

void QtToolbarView::SetChevron(int first_overflow) {
  first_overflow_ = first_overflow;
  if (hot_ >= 0 && Overflowed(hot_)) hot_ = -1;
  Relayout();
}

void QtToolbarView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (events_) events_->OnToolbarResized(width());
  Relayout();
}

void QtToolbarView::ClickChevron() {
  if (chevron_rect_.isEmpty() || !events_) return;
  QPoint tl = mapToGlobal(chevron_rect_.topLeft());
  chevron_down_ = true;
  update();
  events_->OnChevron(Rect{tl.x(), tl.y(), tl.x() + chevron_rect_.width(),
                          tl.y() + chevron_rect_.height()});
  chevron_down_ = false;
  update();
}

void QtToolbarView::PaintChevron(QPainter& p) {
  if (chevron_rect_.isEmpty()) return;
  const QPalette pal = palette();
  if (chevron_hot_ || chevron_down_) {
    const Color hl = FromQ(pal.color(QPalette::Highlight));
    p.setPen(ToQ(hl));
    p.setBrush(ToQ(
        AdjustColor(hl, chevron_down_ ? 55 : 80, chevron_down_ ? -30 : -40)));
    p.drawRoundedRect(chevron_rect_.adjusted(0, 0, -1, -1), 2.5, 2.5);
  }
  p.setPen(pal.color(QPalette::WindowText));
  QFont f = font_;
  f.setBold(true);
  p.setFont(f);
  p.drawText(chevron_rect_, Qt::AlignCenter, QStringLiteral("\u00BB"));
}

std::unique_ptr<MenuButtonView> QtToolbarView::CreateMenuButton(
    const MenuButtonDesc& desc) {
  return std::make_unique<QtMenuButtonView>(
      new BitmapButton(this, desc, &events_));
}

std::unique_ptr<SearchBoxView> QtToolbarView::CreateSearchBox(
    int item_index, const SearchBoxDesc& desc) {
  return std::make_unique<QtSearchBoxView>(this, item_index, desc, &events_);
}

void QtToolbarView::TrackPopupMenu(const PopupMenu& menu, Point screen_point) {
  if (menu.empty()) return;
  MenuPopupCallbacks callbacks;
  int chosen = 0;
  callbacks.select = [this](int id, bool popup) {
    if (events_) events_->OnMenuSelect(id, popup);
  };
  callbacks.choose = [&chosen](int id) { chosen = id; };
  QtMenuPopup popup(menu, &images_, callbacks, nullptr);
  active_menu_ = &popup;
  QEventLoop loop;
  connect(&popup, &QtMenuPopup::closed, &loop, &QEventLoop::quit);
  popup.Popup(QPoint(screen_point.x, screen_point.y));
  if (popup.isVisible()) loop.exec();
  active_menu_ = nullptr;
  if (chosen != 0 && events_) events_->OnMenuCommand(chosen);
}

void QtToolbarView::StartTimer(int timer_id, int interval_ms) {
  KillTimer(timer_id);
  int qt_id = startTimer(interval_ms);
  if (qt_id) {
    timers_.insert(qt_id, timer_id);
    periods_.insert(timer_id, interval_ms);
  }
}

int QtToolbarView::TimerPeriod(int timer_id) const {
  return periods_.value(timer_id, 0);
}

void QtToolbarView::KillTimer(int timer_id) {
  periods_.remove(timer_id);
  for (auto it = timers_.begin(); it != timers_.end();) {
    if (it.value() == timer_id) {
      killTimer(it.key());
      it = timers_.erase(it);
    } else {
      ++it;
    }
  }
}

void QtToolbarView::timerEvent(QTimerEvent* event) {
  auto it = timers_.find(event->timerId());
  if (it == timers_.end()) {
    QWidget::timerEvent(event);
    return;
  }
  if (events_) events_->OnTimer(it.value());
}

void QtToolbarView::SetWaitCursor(bool wait) {
  if (wait) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtToolbarView::FocusParent() {
  if (QWidget* w = window()) {
    // The page below the band takes the focus.
    QWidget* next = w->focusProxy() ? w->focusProxy() : w;
    next->setFocus(Qt::TabFocusReason);
  }
}

Color QtToolbarView::ButtonFaceColor() const {
  return FromQ(palette().color(QPalette::Button));
}

}  // namespace zan
