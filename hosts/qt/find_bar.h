#ifndef ZAN_HOSTS_QT_FIND_BAR_H_
#define ZAN_HOSTS_QT_FIND_BAR_H_

#include <QWidget>

class QLabel;
class QLineEdit;
class QWebEnginePage;

namespace zan {

// The find bar below the page: finds the typed text in the page as it is
// typed, steps to the next (Enter, F3) or previous (Shift+Enter, Shift+F3)
// match and shows "n of m". Esc or its close button hides it and clears the
// marks.
class FindBar : public QWidget {
  Q_OBJECT

 public:
  FindBar(QWebEnginePage* page, QWidget* parent);

  // Shows the bar with the search text selected.
  void Open();
  void Close();
  void FindNext();
  void FindPrevious();

  QLineEdit* edit() const { return edit_; }
  // The counts of the last answer: matches in the page and the active one
  // (1-based, 0 for none); -1 before the first answer to the current text.
  int match_count() const { return matches_; }
  int active_match() const { return active_; }
  QString count_text() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Find(bool backward);
  void ShowCount(int active, int matches);

  QWebEnginePage* page_;
  QLineEdit* edit_ = nullptr;
  QLabel* count_ = nullptr;
  int matches_ = -1;
  int active_ = 0;
  // Counts each search so that a late answer to older text is dropped.
  int generation_ = 0;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_FIND_BAR_H_
