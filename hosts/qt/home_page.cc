#include "hosts/qt/home_page.h"

#include <QSettings>
#include <QStandardPaths>

namespace zan {
namespace {

QString SettingsFile() {
  return QStandardPaths::writableLocation(
             QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/zan/browser.conf");
}

constexpr char kKey[] = "HomePage";

}  // namespace

HomePage::HomePage(QUrl site_index, bool keep)
    : site_index_(std::move(site_index)), keep_(keep) {
  QSettings file(SettingsFile(), QSettings::IniFormat);
  QUrl stored(file.value(QLatin1String(kKey)).toString());
  if (stored.isValid() && !stored.isRelative()) chosen_ = stored;
}

QUrl HomePage::Url() const { return chosen_.isEmpty() ? site_index_ : chosen_; }

void HomePage::Set(const QUrl& url) {
  chosen_ = url;
  if (!keep_) return;
  QSettings file(SettingsFile(), QSettings::IniFormat);
  if (url.isEmpty()) {
    file.remove(QLatin1String(kKey));
  } else {
    file.setValue(QLatin1String(kKey), url.toString());
  }
}

}  // namespace zan
