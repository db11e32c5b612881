#include "hosts/qt/download_manager.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "browser/download_naming.h"

namespace zan {

DownloadManager::DownloadManager(QWebEngineProfile* profile, QString folder,
                                 QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
  connect(profile, &QWebEngineProfile::downloadRequested, this,
          &DownloadManager::OnRequested);
}

bool DownloadManager::Taken(const QString& name) const {
  // A dangling link counts as taken: saving through it would write where
  // it points.
  QFileInfo info(QDir(folder_).filePath(name));
  return running_.contains(name) || info.exists() || info.isSymLink();
}

void DownloadManager::OnRequested(QWebEngineDownloadRequest* download) {
  QPointer<QWebEnginePage> page(download->page());
  if (!QDir().mkpath(folder_)) {
    download->cancel();
    Q_EMIT finished(page, download->suggestedFileName(), QString(), false);
    return;
  }
  std::optional<std::string> name =
      ChooseDownloadName(download->suggestedFileName().toStdString(),
                         [this](const std::string& n) {
                           return Taken(QString::fromStdString(n));
                         });
  if (!name) {
    download->cancel();
    Q_EMIT finished(page, download->suggestedFileName(), QString(), false);
    return;
  }
  QString file = QString::fromStdString(*name);
  download->setDownloadDirectory(folder_);
  download->setDownloadFileName(file);
  running_.insert(file);
  connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this,
          [this, download, page, file] {
            qint64 total = download->totalBytes();
            int percent =
                total > 0
                    ? static_cast<int>(download->receivedBytes() * 100 / total)
                    : -1;
            Q_EMIT progress(page, file, percent);
          });
  connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this,
          [this, download, page, file] {
            if (!download->isFinished()) return;
            running_.remove(file);
            bool ok = download->state() ==
                      QWebEngineDownloadRequest::DownloadCompleted;
            Q_EMIT finished(page, file, QDir(folder_).filePath(file), ok);
          });
  download->accept();
  Q_EMIT progress(page, file, 0);
}

}  // namespace zan
