#ifndef ZAN_HOSTS_QT_ZAN_WEB_PAGE_H_
#define ZAN_HOSTS_QT_ZAN_WEB_PAGE_H_

#include <QWebEnginePage>
#include <functional>

namespace zan {

// The page of a browser window: new windows and navigations are offered to
// the window's toolbar band before they happen.
class ZanWebPage : public QWebEnginePage {
 public:
  using WindowCreator = std::function<QWebEnginePage*(WebWindowType type)>;
  using NavigationFilter = std::function<bool(
      const QUrl& url, NavigationType type, bool main_frame)>;

  ZanWebPage(QWebEngineProfile* profile, QObject* parent)
      : QWebEnginePage(profile, parent) {}

  void set_window_creator(WindowCreator creator) {
    creator_ = std::move(creator);
  }
  void set_navigation_filter(NavigationFilter filter) {
    filter_ = std::move(filter);
  }

 protected:
  QWebEnginePage* createWindow(WebWindowType type) override {
    return creator_ ? creator_(type) : nullptr;
  }
  bool acceptNavigationRequest(const QUrl& url, NavigationType type,
                               bool is_main_frame) override {
    return filter_ ? filter_(url, type, is_main_frame) : true;
  }

 private:
  WindowCreator creator_;
  NavigationFilter filter_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_ZAN_WEB_PAGE_H_
