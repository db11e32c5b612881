#include "hosts/qt/navigation_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QToolButton>
#include <QWebEngineHistory>
#include <QWebEnginePage>

namespace zan {
namespace {

// Entries a history menu lists at most.
constexpr int kHistoryMenuEntries = 12;

enum class Glyph { kBack, kForward, kReload, kStop, kHome };

// The buttons' pictures, drawn as lines so that they stay sharp at any
// scale.
QIcon DrawGlyph(Glyph glyph, const QPalette& palette) {
  constexpr int kSize = 20;
  QPixmap pixmap(kSize * 2, kSize * 2);
  pixmap.setDevicePixelRatio(2);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(palette.color(QPalette::ButtonText).lighter(130), 2.0, Qt::SolidLine,
           Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  switch (glyph) {
    case Glyph::kBack:
    case Glyph::kForward: {
      if (glyph == Glyph::kForward) {
        p.translate(kSize, 0);
        p.scale(-1, 1);
      }
      p.drawLine(QPointF(4, 10), QPointF(16, 10));
      p.drawPolyline(
          QPolygonF({QPointF(9, 5), QPointF(4, 10), QPointF(9, 15)}));
      break;
    }
    case Glyph::kReload: {
      p.drawArc(QRectF(4, 4, 12, 12), 60 * 16, 290 * 16);
      p.drawPolyline(
          QPolygonF({QPointF(12, 2.5), QPointF(16, 4.5), QPointF(13.5, 8.5)}));
      break;
    }
    case Glyph::kStop:
      p.drawLine(QPointF(5, 5), QPointF(15, 15));
      p.drawLine(QPointF(15, 5), QPointF(5, 15));
      break;
    case Glyph::kHome:
      p.drawPolyline(
          QPolygonF({QPointF(3, 10), QPointF(10, 3.5), QPointF(17, 10)}));
      p.drawPolyline(QPolygonF({QPointF(5.5, 8.5), QPointF(5.5, 16),
                                QPointF(14.5, 16), QPointF(14.5, 8.5)}));
      p.drawRect(QRectF(8.5, 11.5, 3, 4.5));
      break;
  }
  return QIcon(pixmap);
}

QToolButton* MakeButton(QWidget* parent, Glyph glyph, const QString& tip) {
  auto* button = new QToolButton(parent);
  button->setIcon(DrawGlyph(glyph, parent->palette()));
  button->setIconSize(QSize(20, 20));
  button->setToolTip(tip);
  button->setAccessibleName(tip);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

AddressBar::AddressBar(QWidget* parent) : QLineEdit(parent) {
  setPlaceholderText(QStringLiteral("Search or type an address"));
  setAccessibleName(QStringLiteral("Address and search bar"));
  setClearButtonEnabled(false);
}

void AddressBar::ShowUrl(const QUrl& url) {
  shown_ = url.isEmpty() || url == QUrl(QStringLiteral("about:blank"))
               ? QString()
               : url.toDisplayString();
  // What the user is typing stays.
  if (hasFocus() && isModified()) return;
  setText(shown_);
  setCursorPosition(0);
}

void AddressBar::SetProgress(int percent) {
  if (progress_ == percent) return;
  progress_ = percent;
  update();
}

void AddressBar::FocusAndSelect() {
  setFocus(Qt::ShortcutFocusReason);
  selectAll();
}

void AddressBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    QString typed = text();
    setModified(false);
    Q_EMIT addressEntered(typed);
    return;
  }
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    // Back to the page's address; a second Esc leaves it alone.
    setText(shown_);
    setModified(false);
    selectAll();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void AddressBar::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // A click into the bar selects the whole address, as a click elsewhere
  // in the window first put the caret away.
  if (event->reason() == Qt::MouseFocusReason) select_on_click_ = true;
}

void AddressBar::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  if (select_on_click_) {
    select_on_click_ = false;
    selectAll();
  }
}

void AddressBar::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (progress_ < 0 || progress_ >= 100) return;
  QPainter p(this);
  QRect bar = rect().adjusted(2, height() - 4, -2, -2);
  bar.setWidth(bar.width() * std::max(progress_, 3) / 100);
  p.fillRect(bar, palette().color(QPalette::Highlight));
}

NavigationBar::NavigationBar(QWebEnginePage* page, QWidget* parent)
    : QWidget(parent), page_(page) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 3, 4, 3);
  row->setSpacing(2);
  back_ = MakeButton(this, Glyph::kBack, QStringLiteral("Back"));
  forward_ = MakeButton(this, Glyph::kForward, QStringLiteral("Forward"));
  reload_ = MakeButton(this, Glyph::kReload, QStringLiteral("Reload"));
  home_ = MakeButton(this, Glyph::kHome, QStringLiteral("Home"));
  address_ = new AddressBar(this);
  for (QWidget* w :
       {static_cast<QWidget*>(back_), static_cast<QWidget*>(forward_),
        static_cast<QWidget*>(reload_), static_cast<QWidget*>(home_),
        static_cast<QWidget*>(address_)}) {
    row->addWidget(w);
  }
  row->setStretchFactor(address_, 1);

  // Back and forward list their history on a long press or a right click.
  for (auto [button, menu, is_back] :
       {std::tuple{back_, new QMenu(back_), true},
        std::tuple{forward_, new QMenu(forward_), false}}) {
    button->setMenu(menu);
    button->setPopupMode(QToolButton::DelayedPopup);
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    QMenu* m = menu;
    bool b = is_back;
    connect(menu, &QMenu::aboutToShow, this,
            [this, m, b] { FillHistoryMenu(m, b); });
    QToolButton* target = button;
    connect(button, &QWidget::customContextMenuRequested, this,
            [target] { target->showMenu(); });
  }
  connect(back_, &QToolButton::clicked, page_,
          [this] { page_->triggerAction(QWebEnginePage::Back); });
  connect(forward_, &QToolButton::clicked, page_,
          [this] { page_->triggerAction(QWebEnginePage::Forward); });
  connect(reload_, &QToolButton::clicked, page_, [this] {
    page_->triggerAction(loading_ ? QWebEnginePage::Stop
                                  : QWebEnginePage::Reload);
  });
  connect(home_, &QToolButton::clicked, this, &NavigationBar::homeClicked);
  home_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(home_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) {
            QMenu menu;
            QAction* use =
                menu.addAction(QStringLiteral("Use this page as home page"));
            QAction* reset =
                menu.addAction(QStringLiteral("Use the ZAN start page"));
            use->setEnabled(!page_->url().isEmpty());
            QAction* chosen = menu.exec(home_->mapToGlobal(at));
            if (chosen == use) Q_EMIT homeChosen(page_->url());
            if (chosen == reset) Q_EMIT homeChosen(QUrl());
          });

  connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
    address_->ShowUrl(url);
    UpdateButtons();
  });
  connect(page_, &QWebEnginePage::loadStarted, this, [this] {
    SetLoading(true);
    address_->SetProgress(0);
  });
  connect(page_, &QWebEnginePage::loadProgress, this, [this](int percent) {
    if (loading_) address_->SetProgress(percent);
  });
  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool) {
    SetLoading(false);
    address_->SetProgress(-1);
    UpdateButtons();
  });
  UpdateButtons();
}

void NavigationBar::UpdateButtons() {
  back_->setEnabled(page_->history()->canGoBack());
  forward_->setEnabled(page_->history()->canGoForward());
}

void NavigationBar::SetLoading(bool loading) {
  loading_ = loading;
  reload_->setIcon(
      DrawGlyph(loading ? Glyph::kStop : Glyph::kReload, palette()));
  QString tip = loading ? QStringLiteral("Stop") : QStringLiteral("Reload");
  reload_->setToolTip(tip);
  reload_->setAccessibleName(tip);
}

void NavigationBar::FillHistoryMenu(QMenu* menu, bool back) {
  menu->clear();
  QWebEngineHistory* history = page_->history();
  QList<QWebEngineHistoryItem> items =
      back ? history->backItems(kHistoryMenuEntries)
           : history->forwardItems(kHistoryMenuEntries);
  // Nearest first.
  if (back) std::reverse(items.begin(), items.end());
  for (const QWebEngineHistoryItem& item : items) {
    QString title =
        item.title().isEmpty() ? item.url().toDisplayString() : item.title();
    QAction* action = menu->addAction(title);
    action->setToolTip(item.url().toDisplayString());
    connect(action, &QAction::triggered, page_,
            [this, item] { page_->history()->goToItem(item); });
  }
}

}  // namespace zan
