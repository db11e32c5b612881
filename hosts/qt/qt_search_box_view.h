#ifndef ZAN_HOSTS_QT_QT_SEARCH_BOX_VIEW_H_
#define ZAN_HOSTS_QT_QT_SEARCH_BOX_VIEW_H_

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "browser/toolbar_view.h"

namespace zan {

// The line edit of a search box: Enter starts the search, dropped text
// replaces the whole text, and keys that edit or move (Backspace, Delete,
// the arrows, Home, End, Ctrl+C/V/X) mark their change as one that is
// never completed.
class SearchLineEdit : public QLineEdit {
 public:
  SearchLineEdit(QWidget* parent, std::function<void()> enter,
                 std::function<void(const std::string&)> drop);

  bool allow_completion() const { return allow_completion_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  std::function<void()> enter_;
  std::function<void(const std::string&)> drop_;
  bool allow_completion_ = true;
};

// The combo box of a search box. It says when its list is about to open,
// and tells whether the current change of its entry comes from the wheel or
// a key while its list is closed (the user browses) rather than from a
// choice in the open list.
class SearchComboBox : public QComboBox {
 public:
  SearchComboBox(QWidget* parent, std::function<void()> opening)
      : QComboBox(parent), opening_(std::move(opening)) {}
  bool browsing() const { return browsing_; }
  void showPopup() override;

 protected:
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  std::function<void()> opening_;
  bool browsing_ = false;
};

// A search box as Qt widgets: an editable combo box (a history box), a
// drop-down list (a value list) or a line edit (type "edit", optionally a
// password field). `events` points at the toolbar's event sink, which may
// change or become null while the box lives.
class QtSearchBoxView : public SearchBoxView {
 public:
  QtSearchBoxView(QWidget* parent, int item_index, const SearchBoxDesc& desc,
                  ToolbarViewEvents** events);
  ~QtSearchBoxView() override;

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
  bool LastEditAllowsCompletion() const override;

  // The widgets (tests, screenshots): the outer widget, the combo box (null
  // for an edit box) and the line edit (null for a value list).
  QWidget* widget() const { return widget_; }
  QComboBox* combo() const { return combo_; }
  QLineEdit* edit() const { return edit_; }

 private:
  void Notify(const std::function<void(ToolbarViewEvents&)>& call);
  void FitListToEntries();

  int item_index_;
  ToolbarViewEvents** events_;
  QPointer<QWidget> widget_;
  QPointer<QComboBox> combo_;
  QPointer<QLineEdit> edit_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_SEARCH_BOX_VIEW_H_
