#ifndef ZAN_HOSTS_QT_NAVIGATION_BAR_H_
#define ZAN_HOSTS_QT_NAVIGATION_BAR_H_

#include <QLineEdit>
#include <QWidget>

class QMenu;
class QToolButton;
class QWebEnginePage;

namespace zan {

// The address bar: shows the page's address unless the user is editing it,
// and the load progress as a thin bar along its bottom edge.
class AddressBar : public QLineEdit {
  Q_OBJECT

 public:
  explicit AddressBar(QWidget* parent);

  // Shows `url` unless the user is typing.
  void ShowUrl(const QUrl& url);
  // 0-100 while loading, -1 when no load runs.
  void SetProgress(int percent);
  int progress() const { return progress_; }
  // Gives the bar the focus with its whole text selected.
  void FocusAndSelect();

 Q_SIGNALS:
  void addressEntered(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QString shown_;
  int progress_ = -1;
  bool select_on_click_ = false;
};

// The row above the toolbar band: back, forward, reload/stop, home and the
// address bar, following one page.
class NavigationBar : public QWidget {
  Q_OBJECT

 public:
  NavigationBar(QWebEnginePage* page, QWidget* parent);

  AddressBar* address_bar() const { return address_; }
  QToolButton* back_button() const { return back_; }
  QToolButton* forward_button() const { return forward_; }
  QToolButton* reload_button() const { return reload_; }
  QToolButton* home_button() const { return home_; }
  bool loading() const { return loading_; }

 Q_SIGNALS:
  void homeClicked();
  // The home button's right-click menu: make the current page the home
  // page (`url` set) or go back to the site's (`url` empty).
  void homeChosen(const QUrl& url);

 private:
  void UpdateButtons();
  void SetLoading(bool loading);
  void FillHistoryMenu(QMenu* menu, bool back);

  QWebEnginePage* page_;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
  QToolButton* reload_ = nullptr;
  QToolButton* home_ = nullptr;
  AddressBar* address_ = nullptr;
  bool loading_ = false;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_NAVIGATION_BAR_H_
