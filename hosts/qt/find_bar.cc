#include "hosts/qt/find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

namespace zan {

FindBar::FindBar(QWebEnginePage* page, QWidget* parent)
    : QWidget(parent), page_(page) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 2, 6, 2);
  row->setSpacing(4);
  auto* label = new QLabel(QStringLiteral("Find:"), this);
  edit_ = new QLineEdit(this);
  edit_->setAccessibleName(QStringLiteral("Find in page"));
  edit_->setMaximumWidth(260);
  label->setBuddy(edit_);
  auto* previous = new QToolButton(this);
  previous->setArrowType(Qt::UpArrow);
  previous->setToolTip(QStringLiteral("Previous match (Shift+Enter)"));
  auto* next = new QToolButton(this);
  next->setArrowType(Qt::DownArrow);
  next->setToolTip(QStringLiteral("Next match (Enter)"));
  count_ = new QLabel(this);
  count_->setMinimumWidth(90);
  auto* close = new QToolButton(this);
  close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  close->setToolTip(QStringLiteral("Close the find bar (Esc)"));
  close->setAutoRaise(true);
  for (QToolButton* b : {previous, next, close}) b->setFocusPolicy(Qt::NoFocus);
  row->addWidget(label);
  row->addWidget(edit_);
  row->addWidget(previous);
  row->addWidget(next);
  row->addWidget(count_);
  row->addStretch(1);
  row->addWidget(close);

  edit_->installEventFilter(this);
  connect(edit_, &QLineEdit::textChanged, this, [this] { Find(false); });
  connect(next, &QToolButton::clicked, this, &FindBar::FindNext);
  connect(previous, &QToolButton::clicked, this, &FindBar::FindPrevious);
  connect(close, &QToolButton::clicked, this, &FindBar::Close);
  // A new page has no matches yet.
  connect(page_, &QWebEnginePage::loadStarted, this, [this] {
    if (isVisible()) ShowCount(0, -1);
  });
  setVisible(false);
}

void FindBar::Open() {
  setVisible(true);
  edit_->setFocus(Qt::ShortcutFocusReason);
  edit_->selectAll();
  if (!edit_->text().isEmpty()) Find(false);
}

void FindBar::Close() {
  ++generation_;
  page_->findText(QString());  // clears the marks
  setVisible(false);
  matches_ = -1;
  active_ = 0;
  if (QWidget* top = window()) top->setFocus(Qt::OtherFocusReason);
}

void FindBar::FindNext() {
  if (!isVisible()) return Open();
  Find(false);
}

void FindBar::FindPrevious() {
  if (!isVisible()) return Open();
  Find(true);
}

void FindBar::Find(bool backward) {
  int generation = ++generation_;
  QString text = edit_->text();
  if (text.isEmpty()) {
    page_->findText(QString());
    ShowCount(0, -1);
    count_->clear();
    return;
  }
  QPointer<FindBar> guard(this);
  page_->findText(
      text,
      backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags(),
      [guard, generation](const QWebEngineFindTextResult& result) {
        if (!guard || generation != guard->generation_) return;
        guard->ShowCount(result.activeMatch(), result.numberOfMatches());
      });
}

void FindBar::ShowCount(int active, int matches) {
  matches_ = matches;
  active_ = active;
  count_->setText(count_text());
  // No match: the text shows it in red.
  QPalette p = edit_->palette();
  p.setColor(QPalette::Text, matches == 0 ? QColor(0xB0, 0, 0)
                                          : palette().color(QPalette::Text));
  edit_->setPalette(p);
}

QString FindBar::count_text() const {
  if (matches_ < 0) return QString();
  if (matches_ == 0) return QStringLiteral("No matches");
  return QStringLiteral("%1 of %2").arg(active_).arg(matches_);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Find((key->modifiers() & Qt::ShiftModifier) != 0);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      Close();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace zan
