#ifndef ZAN_PLATFORM_WIN32_URL_MONIKER_DOWNLOADER_H_
#define ZAN_PLATFORM_WIN32_URL_MONIKER_DOWNLOADER_H_

#include <string>

#include "platform/downloader.h"

namespace zan {

// Time bounds of one download, so that a dead site cannot hang the browser.
struct UrlDownloadLimits {
  // No answer for this long (at least the stall time) ends a transfer.
  long connect_timeout_ms = 10000;
  // No sign of life for this long ends a transfer.
  long stall_timeout_ms = 20000;
  long total_timeout_ms = 120000;
};

// http, https and file URLs through URLDownloadToFileA, run on a thread of
// its own. A status callback notes each sign of life, and a watchdog aborts
// the binding of a transfer that passes its total time or gets nothing for
// the stall time. An HTTP status other than 2xx, or fewer bytes than the
// answer's Content-Length, is a failure too (the moniker would keep an
// error page or a cut file).
class UrlMonikerDownloader : public Downloader {
 public:
  explicit UrlMonikerDownloader(UrlDownloadLimits limits = {});
  bool DownloadToFile(const std::string& url, const std::string& path) override;

 private:
  UrlDownloadLimits limits_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_URL_MONIKER_DOWNLOADER_H_
