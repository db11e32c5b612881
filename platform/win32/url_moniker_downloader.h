#ifndef ZAN_PLATFORM_WIN32_URL_MONIKER_DOWNLOADER_H_
#define ZAN_PLATFORM_WIN32_URL_MONIKER_DOWNLOADER_H_

#include <string>

#include "platform/downloader.h"

namespace zan {

// Time bounds of one download, so that a dead site cannot hang the browser.
struct UrlDownloadLimits {
  long connect_timeout_ms = 10000;
  // No byte for this long ends a transfer.
  long stall_timeout_ms = 20000;
  long total_timeout_ms = 120000;
};

// http, https and file URLs through URLDownloadToFileA. A status callback
// gives the transfer its bounds: it aborts a transfer that passes its total
// time or gets no data for the stall time, and it fails an HTTP answer
// whose status is not 2xx (the moniker would store the error page).
class UrlMonikerDownloader : public Downloader {
 public:
  explicit UrlMonikerDownloader(UrlDownloadLimits limits = {});
  bool DownloadToFile(const std::string& url, const std::string& path) override;

 private:
  UrlDownloadLimits limits_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_URL_MONIKER_DOWNLOADER_H_
