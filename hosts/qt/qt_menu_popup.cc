#include "hosts/qt/qt_menu_popup.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>

#include "browser/adjust_color.h"
#include "hosts/qt/qt_geometry.h"

namespace zan {
namespace {

constexpr int kScrollStripHeight = 14;

}  // namespace

MenuMetrics QtMenuMetrics(const QFont& font) {
  MenuMetrics m;
  QFontMetrics fm(font);
  m.font_height = fm.height();
  m.menu_height = std::max(19, fm.height() + 4);
  m.check_width = 13;
  return m;
}

MenuColors QtMenuColors() {
  QPalette pal = QApplication::palette();
  MenuColors c;
  c.button_face = FromQ(pal.color(QPalette::Button));
  c.highlight = FromQ(pal.color(QPalette::Highlight));
  c.menu_text = FromQ(pal.color(QPalette::WindowText));
  c.gradient_active_caption = AdjustColor(c.highlight, 45, 0);
  c.active_caption = AdjustColor(c.highlight, -30, 0);
  c.caption_text = Color{255, 255, 255};
  return c;
}

QtMenuPopup::QtMenuPopup(const PopupMenu& menu, const QtImageList* images,
                         const MenuPopupCallbacks& callbacks,
                         QtMenuPopup* parent_menu)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint),
      menu_(menu),
      images_(images),
      callbacks_(callbacks),
      parent_menu_(parent_menu),
      font_(QApplication::font("QMenu")) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setMouseTracking(true);
  setFont(font_);
  metrics_ = QtMenuMetrics(font_);
  colors_ = QtMenuColors();
  Layout();
  scroll_timer_.setInterval(40);
  connect(&scroll_timer_, &QTimer::timeout, this, [this] {
    if (hover_scroll_ == 0) {
      scroll_timer_.stop();
      return;
    }
    ScrollBy(hover_scroll_ * metrics_.menu_height / 2);
  });
}

QtMenuPopup::~QtMenuPopup() { CloseSubmenu(); }

void QtMenuPopup::Layout() {
  slots_.clear();
  QFontMetrics fm(font_);
  auto text_width = [&fm](const std::string& text) {
    std::string line = text.substr(0, text.find('\t'));
    int w = fm.horizontalAdvance(QString::fromStdString(line));
    size_t tab = text.find('\t');
    if (tab != std::string::npos) {
      w += 24 +
           fm.horizontalAdvance(QString::fromStdString(text.substr(tab + 1)));
    }
    return w;
  };
  // Columns: every entry with a break starts a new one. The system adds the
  // check-mark width to what an owner-drawn entry asks for.
  std::vector<std::vector<int>> columns(1);
  for (size_t i = 0; i < menu_.entries.size(); ++i) {
    if (menu_.entries[i].StartsColumn() && !columns.back().empty()) {
      columns.emplace_back();
    }
    columns.back().push_back(static_cast<int>(i));
  }
  std::vector<Size> sizes;
  sizes.reserve(menu_.entries.size());
  for (const PopupMenuEntry& e : menu_.entries) {
    sizes.push_back(MeasureMenuEntry(e, metrics_, text_width));
  }
  constexpr int kBorder = 1;
  int x = kBorder;
  int total_height = 0;
  for (const auto& column : columns) {
    int h = 0;
    for (int i : column) h += sizes[static_cast<size_t>(i)].height;
    total_height = std::max(total_height, h);
  }
  slots_.resize(menu_.entries.size());
  for (const auto& column : columns) {
    int width = 0;
    for (int i : column) {
      width = std::max(
          width, sizes[static_cast<size_t>(i)].width + metrics_.check_width);
    }
    int y = kBorder;
    for (int i : column) {
      const PopupMenuEntry& e = menu_.entries[static_cast<size_t>(i)];
      int h =
          e.IsSidebar() ? total_height : sizes[static_cast<size_t>(i)].height;
      slots_[static_cast<size_t>(i)] = Slot{&e, QRect(x, y, width, h)};
      if (!e.IsSidebar()) y += h;
    }
    x += width;
  }
  content_height_ = total_height + 2 * kBorder;
  setFixedSize(x + kBorder, content_height_);
}

QRect QtMenuPopup::Viewport() const {
  if (!scrollable_) return rect();
  return QRect(0, kScrollStripHeight, width(),
               height() - 2 * kScrollStripHeight);
}

QRect QtMenuPopup::UpStrip() const {
  return scrollable_ ? QRect(0, 0, width(), kScrollStripHeight) : QRect();
}

QRect QtMenuPopup::DownStrip() const {
  return scrollable_ ? QRect(0, height() - kScrollStripHeight, width(),
                             kScrollStripHeight)
                     : QRect();
}

void QtMenuPopup::ScrollBy(int dy) {
  if (!scrollable_) return;
  const int max = std::max(0, content_height_ - Viewport().height());
  int next = std::clamp(scroll_ + dy, 0, max);
  if (next == scroll_) return;
  scroll_ = next;
  CloseSubmenu();
  update();
}

void QtMenuPopup::EnsureVisible(int slot) {
  if (!scrollable_ || slot < 0) return;
  const QRect r = slots_[static_cast<size_t>(slot)].rect;
  const int view_height = Viewport().height();
  if (r.top() < scroll_) {
    ScrollBy(r.top() - scroll_);
  } else if (r.bottom() + 1 > scroll_ + view_height) {
    ScrollBy(r.bottom() + 1 - scroll_ - view_height);
  }
}

void QtMenuPopup::ScrollOnHover() {
  if (hover_scroll_ != 0 && !scroll_timer_.isActive()) scroll_timer_.start();
}

void QtMenuPopup::wheelEvent(QWheelEvent* event) {
  const int notches = event->angleDelta().y() / 120;
  if (notches != 0) ScrollBy(-notches * 3 * metrics_.menu_height);
  event->accept();
}

void QtMenuPopup::Popup(const QPoint& global) {
  QPoint pos = global;
  QScreen* screen = QApplication::screenAt(global);
  if (!screen) screen = QApplication::primaryScreen();
  if (screen) {
    QRect avail = screen->availableGeometry();
    // Taller than the screen: show what fits and scroll the rest.
    scrollable_ = content_height_ > avail.height();
    scroll_ = 0;
    setFixedHeight(scrollable_ ? avail.height() : content_height_);
    if (pos.x() + width() > avail.right()) pos.setX(avail.right() - width());
    if (pos.y() + height() > avail.bottom())
      pos.setY(avail.bottom() - height());
    pos.setX(std::max(pos.x(), avail.left()));
    pos.setY(std::max(pos.y(), avail.top()));
  }
  move(pos);
  show();
  setFocus();
}

QRect QtMenuPopup::EntryRect(int id) const {
  const int dy = Viewport().top() - scroll_;
  for (const Slot& slot : slots_) {
    if (slot.entry->submenu) {
      if (!slot.entry->submenu->entries.empty() &&
          slot.entry->submenu->entries.front().id == id) {
        return slot.rect.translated(0, dy);
      }
    } else if (slot.entry->id == id && !slot.entry->IsSeparator()) {
      return slot.rect.translated(0, dy);
    }
  }
  return QRect();
}

int QtMenuPopup::SlotAt(const QPoint& widget_pos) const {
  if (!Viewport().contains(widget_pos)) return -1;
  const QPoint pos = widget_pos - QPoint(0, Viewport().top() - scroll_);
  for (size_t i = 0; i < slots_.size(); ++i) {
    const Slot& s = slots_[i];
    if (s.entry->IsSidebar() || s.entry->IsSeparator()) continue;
    if (s.rect.contains(pos)) return static_cast<int>(i);
  }
  return -1;
}

void QtMenuPopup::Select(int slot) {
  if (slot == selected_) return;
  selected_ = slot;
  update();
  if (!callbacks_.select) return;
  if (slot < 0) return;
  const PopupMenuEntry* e = slots_[static_cast<size_t>(slot)].entry;
  callbacks_.select(e->submenu ? 0 : e->id, e->submenu != nullptr);
}

void QtMenuPopup::Activate(int slot) {
  if (slot < 0) return;
  const PopupMenuEntry* e = slots_[static_cast<size_t>(slot)].entry;
  if (e->IsDisabled()) return;
  if (e->submenu) {
    OpenSubmenuAt(slot);
    return;
  }
  int id = e->id;
  auto choose = callbacks_.choose;
  CloseAll();
  if (choose) choose(id);
}

void QtMenuPopup::OpenSubmenuAt(int slot) {
  if (submenu_ && submenu_slot_ == slot) return;
  CloseSubmenu();
  const PopupMenuEntry* e = slots_[static_cast<size_t>(slot)].entry;
  if (!e->submenu || e->IsDisabled()) return;
  submenu_ = new QtMenuPopup(*e->submenu, images_, callbacks_, this);
  submenu_slot_ = slot;
  QRect r = slots_[static_cast<size_t>(slot)].rect.translated(
      0, Viewport().top() - scroll_);
  submenu_->Popup(mapToGlobal(QPoint(r.right() - 2, r.top() - 1)));
}

void QtMenuPopup::CloseSubmenu() {
  if (submenu_) {
    QtMenuPopup* sub = submenu_;
    submenu_ = nullptr;
    sub->parent_menu_ = nullptr;
    sub->close();
    sub->deleteLater();
  }
  submenu_slot_ = -1;
}

void QtMenuPopup::CloseAll() {
  QtMenuPopup* top = this;
  while (top->parent_menu_) top = top->parent_menu_;
  top->CloseSubmenu();
  top->close();
}

void QtMenuPopup::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!parent_menu_) {
    CloseSubmenu();
    if (callbacks_.select) callbacks_.select(0, false);
    Q_EMIT closed();
  } else if (parent_menu_->submenu_ == this) {
    // A click outside a submenu closes the whole menu.
    if (!QApplication::activePopupWidget()) parent_menu_->CloseAll();
  }
}

void QtMenuPopup::mouseMoveEvent(QMouseEvent* event) {
  QPoint pos = event->position().toPoint();
  if (!rect().contains(pos)) {
    if (parent_menu_) {
      QPoint in_parent =
          parent_menu_->mapFromGlobal(event->globalPosition().toPoint());
      if (parent_menu_->rect().contains(in_parent)) {
        QMouseEvent fwd(event->type(), in_parent, event->globalPosition(),
                        event->button(), event->buttons(), event->modifiers());
        parent_menu_->mouseMoveEvent(&fwd);
      }
    }
    return;
  }
  hover_scroll_ = UpStrip().contains(pos)     ? -1
                  : DownStrip().contains(pos) ? 1
                                              : 0;
  ScrollOnHover();
  int slot = SlotAt(pos);
  if (slot < 0) return;
  Select(slot);
  if (slots_[static_cast<size_t>(slot)].entry->submenu) {
    OpenSubmenuAt(slot);
  } else {
    CloseSubmenu();
  }
}

void QtMenuPopup::mousePressEvent(QMouseEvent* event) {
  if (!rect().contains(event->position().toPoint())) {
    QPoint global = event->globalPosition().toPoint();
    for (QtMenuPopup* p = parent_menu_; p; p = p->parent_menu_) {
      QPoint local = p->mapFromGlobal(global);
      if (p->rect().contains(local)) {
        int slot = p->SlotAt(local);
        if (slot >= 0) p->Activate(slot);
        return;
      }
    }
    CloseAll();
  }
}

void QtMenuPopup::mouseReleaseEvent(QMouseEvent* event) {
  QPoint pos = event->position().toPoint();
  if (!rect().contains(pos)) return;
  int slot = SlotAt(pos);
  if (slot >= 0) Activate(slot);
}

void QtMenuPopup::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  hover_scroll_ = 0;
  if (!submenu_) Select(-1);
}

void QtMenuPopup::keyPressEvent(QKeyEvent* event) {
  int n = static_cast<int>(slots_.size());
  auto step = [&](int dir) {
    for (int k = 1; k <= n; ++k) {
      int i =
          ((selected_ < 0 ? (dir > 0 ? -1 : 0) : selected_) + dir * k + n * 2) %
          n;
      const PopupMenuEntry* e = slots_[static_cast<size_t>(i)].entry;
      if (!e->IsSeparator() && !e->IsSidebar()) {
        Select(i);
        EnsureVisible(i);
        return;
      }
    }
  };
  switch (event->key()) {
    case Qt::Key_Down:
      step(1);
      break;
    case Qt::Key_Up:
      step(-1);
      break;
    case Qt::Key_Right:
      if (selected_ >= 0 &&
          slots_[static_cast<size_t>(selected_)].entry->submenu) {
        OpenSubmenuAt(selected_);
        if (submenu_) {
          submenu_->setFocus();
          submenu_->SelectFirst();
        }
      }
      break;
    case Qt::Key_Left:
    case Qt::Key_Escape:
      if (parent_menu_) {
        QtMenuPopup* parent = parent_menu_;
        parent->CloseSubmenu();
        parent->setFocus();
      } else {
        close();
      }
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Activate(selected_);
      break;
    case Qt::Key_PageUp:
      ScrollBy(-Viewport().height());
      break;
    case Qt::Key_PageDown:
      ScrollBy(Viewport().height());
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void QtMenuPopup::SelectFirst() {
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i].entry->IsSeparator() && !slots_[i].entry->IsSidebar()) {
      Select(static_cast<int>(i));
      return;
    }
  }
}

void QtMenuPopup::Paint(QPainter& p, const DrawOp& op) {
  QRect r = ToQ(op.rect);
  switch (op.kind) {
    case DrawOp::Kind::kFill:
      p.fillRect(r, ToQ(op.fill));
      break;
    case DrawOp::Kind::kFrame:
      p.fillRect(r, ToQ(op.fill));
      p.setPen(ToQ(op.pen));
      p.setBrush(Qt::NoBrush);
      p.drawRect(r.adjusted(0, 0, -1, -1));
      break;
    case DrawOp::Kind::kLine:
      p.setPen(ToQ(op.pen));
      p.drawLine(op.rect.left, op.rect.top, op.rect.right, op.rect.top);
      break;
    case DrawOp::Kind::kText:
      p.setPen(ToQ(op.pen));
      p.setFont(font_);
      p.drawText(r,
                 Qt::TextSingleLine | Qt::AlignVCenter |
                     (op.align_right ? Qt::AlignRight : Qt::AlignLeft),
                 QString::fromStdString(op.text));
      break;
    case DrawOp::Kind::kImage:
      if (images_) {
        if (const QPixmap* pm = images_->Image(op.image)) {
          p.drawPixmap(r.topLeft(), *pm);
        }
      }
      break;
    case DrawOp::Kind::kImageShadow:
      if (images_) {
        QPixmap pm = images_->Silhouette(op.image, ToQ(op.fill));
        if (!pm.isNull()) p.drawPixmap(r.topLeft(), pm);
      }
      break;
    case DrawOp::Kind::kCheckMark: {
      QPen pen(ToQ(colors_.menu_text), 2);
      p.setPen(pen);
      int cx = r.left() + 3, cy = r.top() + r.height() / 2 - 2;
      p.drawLine(cx, cy, cx + 3, cy + 3);
      p.drawLine(cx + 3, cy + 3, cx + 9, cy - 4);
      break;
    }
    case DrawOp::Kind::kGradient: {
      QLinearGradient g(r.topLeft(), r.bottomLeft());
      g.setColorAt(0, ToQ(op.pen));
      g.setColorAt(1, ToQ(op.fill));
      p.fillRect(r, g);
      break;
    }
    case DrawOp::Kind::kSidebarText: {
      QFont f("Times New Roman");
      f.setStyleHint(QFont::Serif);
      f.setBold(true);
      f.setItalic(true);
      f.setPixelSize(std::max(8, r.width() - 3));
      p.setFont(f);
      auto draw = [&](int dx, int dy, const QColor& color) {
        p.save();
        // Rotated by 90 degrees: the text runs upwards from the bottom.
        p.translate(r.left() + dx, r.bottom() + dy);
        p.rotate(-90);
        p.setPen(color);
        p.drawText(QRect(4, 0, r.height() - 4, r.width()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QString::fromStdString(op.text));
        p.restore();
      };
      draw(1, 1, Qt::black);
      draw(0, 0, ToQ(op.pen));
      break;
    }
  }
}

void QtMenuPopup::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ToQ(AdjustColor(colors_.button_face, 75, 0)));
  int clip_height = content_height_ - 2;
  const QRect viewport = Viewport();
  p.save();
  p.setClipRect(viewport);
  p.translate(0, viewport.top() - scroll_);
  bool has_images = images_ && !images_->Empty();
  for (size_t i = 0; i < slots_.size(); ++i) {
    const Slot& slot = slots_[i];
    MenuEntryState state;
    state.selected = static_cast<int>(i) == selected_;
    state.disabled = slot.entry->IsDisabled();
    state.checked = slot.entry->checked;
    QRect q = slot.rect;
    Rect r{q.left(), q.top(), q.left() + q.width(), q.top() + q.height()};
    std::vector<DrawOp> ops = DrawMenuEntry(*slot.entry, r, state, clip_height,
                                            has_images, metrics_, colors_);
    if (slot.entry->IsSidebar()) {
      p.save();
      p.translate(q.left(), q.top());
      for (const DrawOp& op : ops) Paint(p, op);
      p.restore();
    } else {
      for (const DrawOp& op : ops) Paint(p, op);
    }
    if (slot.entry->submenu) {
      // The arrow of an entry that opens a submenu.
      p.setPen(Qt::NoPen);
      p.setBrush(ToQ(state.disabled ? AdjustColor(colors_.button_face, -18, 0)
                                    : colors_.menu_text));
      int ax = q.right() - 9, ay = q.center().y();
      QPoint tri[3] = {QPoint(ax, ay - 4), QPoint(ax + 4, ay),
                       QPoint(ax, ay + 4)};
      p.drawPolygon(tri, 3);
    }
  }
  p.restore();
  if (scrollable_) {
    // The strips with their arrows; an arrow is grey at its end.
    const QColor face = ToQ(AdjustColor(colors_.button_face, 40, 0));
    const int max = std::max(0, content_height_ - viewport.height());
    for (int dir : {-1, 1}) {
      QRect strip = dir < 0 ? UpStrip() : DownStrip();
      p.fillRect(strip, face);
      const bool active = dir < 0 ? scroll_ > 0 : scroll_ < max;
      p.setPen(Qt::NoPen);
      p.setBrush(ToQ(active ? colors_.menu_text
                            : AdjustColor(colors_.button_face, -18, 0)));
      const int cx = strip.center().x(), cy = strip.center().y();
      QPoint tri[3] = {QPoint(cx - 4, cy - 2 * dir),
                       QPoint(cx + 4, cy - 2 * dir), QPoint(cx, cy + 2 * dir)};
      p.drawPolygon(tri, 3);
    }
  }
  p.setPen(ToQ(AdjustColor(colors_.button_face, -35, 0)));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace zan
