#ifndef ZAN_HOSTS_QT_DOWNLOAD_MANAGER_H_
#define ZAN_HOSTS_QT_DOWNLOAD_MANAGER_H_

#include <QObject>
#include <QSet>
#include <QString>

class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;

namespace zan {

// Saves every download of the profile into the download folder without
// asking: under the name the page suggests, made safe, or a numbered name
// when that one exists. Nothing is written outside the folder.
class DownloadManager : public QObject {
  Q_OBJECT

 public:
  DownloadManager(QWebEngineProfile* profile, QString folder,
                  QObject* parent = nullptr);

  const QString& folder() const { return folder_; }
  // Downloads still running.
  int running() const { return static_cast<int>(running_.size()); }

 Q_SIGNALS:
  // A download of `page` (null when no page started it) changed: `name` in
  // the folder, `path` its full path; `percent` 0-100 or -1 when the size
  // is unknown. `finished` once it ended, `ok` when the file is complete.
  void progress(QWebEnginePage* page, const QString& name, int percent);
  void finished(QWebEnginePage* page, const QString& name, const QString& path,
                bool ok);

 private:
  void OnRequested(QWebEngineDownloadRequest* download);
  bool Taken(const QString& name) const;

  QString folder_;
  QSet<QString> running_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_DOWNLOAD_MANAGER_H_
