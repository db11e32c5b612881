#ifndef ZAN_HOSTS_QT_BROWSER_WINDOW_H_
#define ZAN_HOSTS_QT_BROWSER_WINDOW_H_

#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <memory>
#include <string>

#include "platform/browser.h"

class QWebEngineView;
class QWebEnginePage;
class QLabel;

namespace zan {

class BandObject;
class BrowserApp;
class QtHtmlDocument;
class QtToolbarView;
class ToolbarWindow;
class ZanWebPage;

// One window of zan-browser: the toolbar band on top, the page below, a
// status bar. It is the Browser that its toolbar drives.
class BrowserWindow : public QMainWindow, public Browser {
  Q_OBJECT

 public:
  explicit BrowserWindow(BrowserApp& app);
  ~BrowserWindow() override;

  // Builds the toolbar (start-up) and loads `url` when it is not empty.
  void Start(const QUrl& url);

  // Browser:
  void Navigate(const std::string& url, const std::string& target_frame,
                const std::string& post_data,
                const std::string& headers) override;
  void ShowBar(const std::string& bar_class_id, bool show) override;
  void SetStatusText(const std::string& text) override;
  void Quit() override;
  HtmlDocument* GetCurrentDocument() override;

  QtToolbarView* toolbar_view() const { return toolbar_view_; }
  ToolbarWindow* toolbar() const { return toolbar_.get(); }
  BandObject* band() const { return band_.get(); }
  QWebEngineView* web_view() const { return view_; }
  ZanWebPage* page() const { return page_; }
  QWidget* band_widget() const { return band_widget_; }
  bool toolbar_assembled() const { return assembled_; }
  // Whether the last load of the page has finished.
  bool page_loaded() const { return page_loaded_; }
  // How many new windows the popup filter refused.
  int blocked_popups() const { return blocked_popups_; }
  std::string status_text() const;

  // One line per toolbar button: command identifier, kind, text, image
  // index, state flags, style, width, hidden.
  std::string ToolbarListing() const;
  // Opens the drop-down menu of item `item_index` without waiting for it to
  // close (screenshots and tests).
  void OpenMenuOf(int item_index);
  // The window with its open popup menu drawn over it.
  QImage Snapshot();
  // Posts a private message to the toolbar control; it is handled from the
  // event loop. kRefreshIndicatorsMessage refreshes the mail indicators.
  void PostToolbarMessage(unsigned message);
  // Whether the toolbar band shows in this window.
  bool band_shown() const { return band_shown_; }
  // The toolbar was uninstalled: from the event loop, the band hides and the
  // toolbar drops its buttons, windows, timers and model for good.
  void DropToolbarLater();
  // Whether the toolbar runs in this window: its band has been shown and it
  // was not dropped. A window without it runs no toolbar logic (no popup
  // filter, no browser events for the toolbar).
  bool toolbar_active() const { return band_ && assembled_ && !dropped_; }

 Q_SIGNALS:
  void pageLoadFinished(bool ok);
  void navigateComplete(const QUrl& url);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QUrl ResolveUrl(const std::string& url) const;
  QWebEnginePage* CreatePopup(int type);
  void LoadInPage(const QUrl& url, const std::string& post_data,
                  const std::string& headers);
  void OpenModalDialog(const std::string& url, const std::string& features);

  BrowserApp& app_;
  QWidget* band_widget_ = nullptr;
  QtToolbarView* toolbar_view_ = nullptr;
  QWebEngineView* view_ = nullptr;
  ZanWebPage* page_ = nullptr;
  std::unique_ptr<ToolbarWindow> toolbar_;
  std::unique_ptr<BandObject> band_;
  std::unique_ptr<QtHtmlDocument> document_;
  // Builds the toolbar the first time the band is shown.
  void StartToolbarOnce();

  bool assembled_ = false;
  bool dropped_ = false;
  bool band_shown_ = false;
  bool page_loaded_ = false;
  bool quit_sent_ = false;
  int blocked_popups_ = 0;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_BROWSER_WINDOW_H_
