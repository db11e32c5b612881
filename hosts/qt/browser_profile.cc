#include "hosts/qt/browser_profile.h"

#include <QDir>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace zan {

QString ProfileStoragePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/zan/profile");
}

QString ProfileCachePath() {
  return QStandardPaths::writableLocation(
             QStandardPaths::GenericCacheLocation) +
         QStringLiteral("/zan/profile");
}

QString DownloadFolder() {
  QString folder =
      QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  if (folder.isEmpty())
    folder = QDir::homePath() + QStringLiteral("/Downloads");
  return folder;
}

QWebEngineProfile* CreateBrowserProfile(bool private_mode, QObject* parent) {
  QWebEngineProfile* profile = nullptr;
  if (private_mode) {
    profile = new QWebEngineProfile(parent);  // off the record
  } else {
    profile = new QWebEngineProfile(QStringLiteral("zan"), parent);
    profile->setPersistentStoragePath(ProfileStoragePath());
    profile->setCachePath(ProfileCachePath());
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setPersistentCookiesPolicy(
        QWebEngineProfile::AllowPersistentCookies);
  }
  profile->setDownloadPath(DownloadFolder());
  return profile;
}

}  // namespace zan
