#ifndef ZAN_HOSTS_QT_HOME_PAGE_H_
#define ZAN_HOSTS_QT_HOME_PAGE_H_

#include <QUrl>

namespace zan {

// The page of the Home button: the product site's index page unless the
// user chose another. The choice is kept in $XDG_CONFIG_HOME/zan/
// browser.conf; with `keep` false (a private session) it lasts only until
// the process ends.
class HomePage {
 public:
  HomePage(QUrl site_index, bool keep);

  QUrl Url() const;
  // `url` empty: back to the site's index page.
  void Set(const QUrl& url);

 private:
  QUrl site_index_;
  QUrl chosen_;
  bool keep_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_HOME_PAGE_H_
