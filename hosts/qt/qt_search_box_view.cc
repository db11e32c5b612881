#include "hosts/qt/qt_search_box_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "hosts/qt/qt_geometry.h"

namespace zan {
namespace {

// Tab and Shift+Tab in a search box go to the toolbar's navigation.
class TabFilter : public QObject {
 public:
  TabFilter(QObject* parent, ToolbarViewEvents** events)
      : QObject(parent), events_(events) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::KeyPress && *events_) {
      auto* key = static_cast<QKeyEvent*>(e);
      if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        bool shift = key->key() == Qt::Key_Backtab ||
                     (key->modifiers() & Qt::ShiftModifier);
        if ((*events_)->OnTabKey(shift)) return true;
      }
    }
    return QObject::eventFilter(watched, e);
  }

 private:
  ToolbarViewEvents** events_;
};

bool EditsOrMoves(const QKeyEvent& e) {
  const int key = e.key();
  const bool ctrl = (e.modifiers() & Qt::ControlModifier) != 0;
  return key == Qt::Key_Backspace || key == Qt::Key_Delete ||
         key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home ||
         key == Qt::Key_End ||
         (ctrl && (key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X));
}

// A one-line box shows dropped lines as one text: line breaks become
// blanks, so the words of every line are searched.
std::string OneLine(const QString& text) {
  QString line = text;
  line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  line.replace(QLatin1Char('\r'), QLatin1Char(' '));
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return line.toStdString();
}

}  // namespace

SearchLineEdit::SearchLineEdit(QWidget* parent, std::function<void()> enter,
                               std::function<void(const std::string&)> drop)
    : QLineEdit(parent), enter_(std::move(enter)), drop_(std::move(drop)) {
  setAcceptDrops(true);
}

void SearchLineEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    // Swallowed: no default button, no beep. A held key searches once.
    if (!e->isAutoRepeat()) enter_();
    return;
  }
  // The change such a key makes is never completed. The text signals run
  // inside the base class's handler, so the flag is read while it is clear.
  allow_completion_ = !EditsOrMoves(*e);
  QLineEdit::keyPressEvent(e);
  allow_completion_ = true;
}

// Entering takes a drag as moving over the box does.
void SearchLineEdit::dragEnterEvent(QDragEnterEvent* e) { dragMoveEvent(e); }

void SearchLineEdit::dragMoveEvent(QDragMoveEvent* e) {
  if (e->mimeData()->hasText()) {
    e->setDropAction(Qt::CopyAction);
    e->accept();
  } else {
    e->ignore();
  }
}

void SearchLineEdit::dropEvent(QDropEvent* e) {
  if (!e->mimeData()->hasText()) {
    e->ignore();
    return;
  }
  e->setDropAction(Qt::CopyAction);
  e->accept();
  drop_(OneLine(e->mimeData()->text()));
}

void SearchComboBox::wheelEvent(QWheelEvent* e) {
  browsing_ = true;
  QComboBox::wheelEvent(e);
  browsing_ = false;
}

void SearchComboBox::keyPressEvent(QKeyEvent* e) {
  browsing_ = true;
  QComboBox::keyPressEvent(e);
  browsing_ = false;
}

void SearchComboBox::showPopup() {
  if (opening_) opening_();
  QComboBox::showPopup();
}

QtSearchBoxView::QtSearchBoxView(QWidget* parent, int item_index,
                                 const SearchBoxDesc& desc,
                                 ToolbarViewEvents** events)
    : item_index_(item_index), events_(events) {
  auto enter = [this] {
    Notify([this](ToolbarViewEvents& e) { e.OnSearchBoxEnter(item_index_); });
  };
  auto drop = [this](const std::string& text) {
    Notify([this, &text](ToolbarViewEvents& e) {
      e.OnSearchBoxDrop(item_index_, text);
    });
  };
  auto edited = [this] {
    Notify([this](ToolbarViewEvents& e) { e.OnSearchBoxChanged(item_index_); });
  };
  if (desc.edit_only) {
    auto* edit = new SearchLineEdit(parent, enter, drop);
    if (desc.password) edit->setEchoMode(QLineEdit::Password);
    if (desc.max_chars > 0) edit->setMaxLength(desc.max_chars);
    edit->setPlaceholderText(QString::fromStdString(desc.hint));
    widget_ = edit;
    edit_ = edit;
    QObject::connect(edit, &QLineEdit::textEdited, edited);
  } else {
    combo_ = new SearchComboBox(parent, [this] {
      Notify([this](ToolbarViewEvents& e) {
        e.OnSearchBoxListOpening(item_index_);
      });
    });
    widget_ = combo_;
    if (!desc.value_list) {
      combo_->setEditable(true);
      combo_->setInsertPolicy(QComboBox::NoInsert);
      auto* edit = new SearchLineEdit(combo_, enter, drop);
      combo_->setLineEdit(edit);
      // The toolbar completes by its own rules (and its own setting).
      combo_->setCompleter(nullptr);
      if (desc.max_chars > 0) edit->setMaxLength(desc.max_chars);
      edit->setPlaceholderText(QString::fromStdString(desc.hint));
      edit_ = edit;
      QObject::connect(edit, &QLineEdit::textEdited, edited);
    }
    for (const std::string& e : desc.entries) {
      combo_->addItem(QString::fromStdString(e));
    }
    if (!desc.value_list) combo_->setCurrentIndex(-1);
    FitListToEntries();
    QObject::connect(combo_, &QComboBox::activated, [this](int index) {
      // Only a choice in the open list (click, Enter) may search.
      const bool browsing =
          static_cast<SearchComboBox*>(combo_.data())->browsing();
      Notify([this, index, browsing](ToolbarViewEvents& e) {
        if (browsing) {
          e.OnSearchBoxBrowsed(item_index_, index);
        } else {
          e.OnSearchBoxSelected(item_index_, index);
        }
      });
    });
  }
  widget_->setToolTip(QString::fromStdString(desc.hint));
  widget_->setFocusPolicy(Qt::StrongFocus);
  auto* filter = new TabFilter(widget_, events_);
  widget_->installEventFilter(filter);
  if (edit_ && edit_.data() != widget_.data())
    edit_->installEventFilter(filter);
  widget_->show();
}

QtSearchBoxView::~QtSearchBoxView() {
  // Deleted later: the box may be in the middle of its own key handler.
  if (widget_) {
    widget_->hide();
    widget_->deleteLater();
  }
}

void QtSearchBoxView::Notify(
    const std::function<void(ToolbarViewEvents&)>& call) {
  if (*events_) call(**events_);
}

void QtSearchBoxView::ShowCompletion(const std::string& text,
                                     int typed_length) {
  if (!edit_) return;
  QString full = QString::fromStdString(text);
  int start = QString::fromStdString(
                  GetText().substr(0, static_cast<size_t>(typed_length)))
                  .size();
  const int typed_end = edit_->text().size();
  const int caret = edit_->cursorPosition();
  const int anchor = edit_->hasSelectedText() ? edit_->selectionStart() : caret;
  edit_->setText(full);
  if (caret < typed_end || anchor < typed_end) {
    // The user was editing inside the text: the caret stays where it was.
    edit_->setSelection(anchor, caret - anchor);
    return;
  }
  // The caret stays after the typed part; the completed tail is selected.
  edit_->setSelection(full.size(), start - full.size());
}

bool QtSearchBoxView::LastEditAllowsCompletion() const {
  auto* edit = dynamic_cast<SearchLineEdit*>(edit_.data());
  return !edit || edit->allow_completion();
}

std::string QtSearchBoxView::GetText() const {
  if (edit_) return edit_->text().toStdString();
  if (combo_) return combo_->currentText().toStdString();
  return {};
}

void QtSearchBoxView::SetText(const std::string& text) {
  if (edit_) edit_->setText(QString::fromStdString(text));
}

int QtSearchBoxView::CurrentIndex() const {
  return combo_ && !combo_->isEditable() ? combo_->currentIndex() : -1;
}

void QtSearchBoxView::SetCurrentIndex(int index) {
  if (!combo_) return;
  if (index < 0 || index >= combo_->count()) index = -1;
  combo_->setCurrentIndex(index);
}

void QtSearchBoxView::SetEntries(const std::vector<std::string>& entries) {
  if (!combo_) return;
  QString text = combo_->currentText();
  combo_->clear();
  for (const std::string& e : entries) {
    combo_->addItem(QString::fromStdString(e));
  }
  if (combo_->isEditable()) combo_->setEditText(text);
  FitListToEntries();
}

void QtSearchBoxView::FitListToEntries() {
  // The open list may be wider than the box: every line shows whole.
  QAbstractItemView* list = combo_->view();
  list->setTextElideMode(Qt::ElideNone);
  int width = list->sizeHintForColumn(0) + 2 * list->frameWidth() + 8;
  if (list->verticalScrollBar() && combo_->count() > combo_->maxVisibleItems())
    width += list->verticalScrollBar()->sizeHint().width();
  list->setMinimumWidth(width);
}

void QtSearchBoxView::Move(Rect rect) {
  if (!widget_) return;
  QRect r = ToQ(rect);
  int h = std::min(r.height(), widget_->sizeHint().height());
  widget_->setGeometry(r.left(), r.top() + (r.height() - h) / 2, r.width(), h);
}

void QtSearchBoxView::Show(bool show) {
  if (widget_) widget_->setVisible(show);
}

void QtSearchBoxView::SetFocus() {
  if (widget_) widget_->setFocus(Qt::TabFocusReason);
}

bool QtSearchBoxView::HasFocus() const {
  QWidget* f = QApplication::focusWidget();
  return widget_ && f && (f == widget_ || widget_->isAncestorOf(f));
}

}  // namespace zan
