#ifndef ZAN_HOSTS_QT_BROWSER_PROFILE_H_
#define ZAN_HOSTS_QT_BROWSER_PROFILE_H_

#include <QString>

class QObject;
class QWebEngineProfile;

namespace zan {

// Where the kept profile lives: cookies, local storage and visited links
// below the XDG data folder, the HTTP cache below the XDG cache folder.
QString ProfileStoragePath();  // $XDG_DATA_HOME/zan/profile
QString ProfileCachePath();    // $XDG_CACHE_HOME/zan/profile
// The user's download folder (XDG_DOWNLOAD_DIR, else ~/Downloads).
QString DownloadFolder();

// The web profile every window of the process shares. Kept: logins,
// storage, cache and visited links survive a restart. `private_mode`: all
// of it stays in memory and nothing is written.
QWebEngineProfile* CreateBrowserProfile(bool private_mode, QObject* parent);

}  // namespace zan

#endif  // ZAN_HOSTS_QT_BROWSER_PROFILE_H_
