#ifndef ZAN_HOSTS_QT_BROWSER_CHROME_H_
#define ZAN_HOSTS_QT_BROWSER_CHROME_H_

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class QLabel;
class QShortcut;
class QVBoxLayout;

namespace zan {

class BrowserApp;
class BrowserWindow;
class FindBar;
class NavigationBar;

// What a browser window has around its page and toolbar: the navigation
// bar above the band, the find bar below the page, the keyboard shortcuts,
// zoom, printing to PDF and the download notice in the status bar.
class BrowserChrome : public QObject {
  Q_OBJECT

 public:
  // Puts the navigation bar first and the find bar last into `column`, the
  // layout that holds the band and the page.
  BrowserChrome(BrowserWindow& window, BrowserApp& app, QVBoxLayout* column);

  NavigationBar* navigation_bar() const { return navigation_; }
  FindBar* find_bar() const { return find_; }
  QLabel* download_notice() const { return notice_; }

  // Runs what was typed into the address bar: loads an address, searches
  // other text with the toolbar's current search.
  void Go(const QString& typed);
  void GoHome();
  // One step larger (1) or smaller (-1); 0: back to 100 %.
  void Zoom(int step);
  // Asks for a file name and prints the page into it as PDF.
  void PrintToPdf();

 Q_SIGNALS:
  // A PDF was written (or failed to be).
  void pdfWritten(const QString& path, bool ok);

 private:
  void AddShortcuts();
  QShortcut* AddShortcut(const QKeySequence& keys,
                         std::function<void()> action);
  void OnEscape();
  void ShowDownload(const QString& text, bool with_link);

  BrowserWindow& window_;
  BrowserApp& app_;
  NavigationBar* navigation_ = nullptr;
  FindBar* find_ = nullptr;
  QLabel* notice_ = nullptr;
  QShortcut* escape_ = nullptr;
  // Plain http for the https address last typed, tried once when the
  // secure one cannot be loaded.
  QUrl fallback_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_BROWSER_CHROME_H_
