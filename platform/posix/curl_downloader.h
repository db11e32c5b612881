#ifndef ZAN_PLATFORM_POSIX_CURL_DOWNLOADER_H_
#define ZAN_PLATFORM_POSIX_CURL_DOWNLOADER_H_

#include <string>

#include "platform/downloader.h"

namespace zan {

// Time bounds of one download, so that a dead site cannot hang the browser.
struct DownloadLimits {
  long connect_timeout_ms = 10000;
  // A transfer slower than low_speed_bytes per second for low_speed_seconds
  // is given up.
  long low_speed_bytes = 1;
  long low_speed_seconds = 20;
  long total_timeout_ms = 120000;
};

// http, https and file URLs through libcurl. An HTTP error status, a broken
// transfer or a timeout is a failure. Redirects are followed (http and https
// only).
class CurlDownloader : public Downloader {
 public:
  explicit CurlDownloader(DownloadLimits limits = {});
  bool DownloadToFile(const std::string& url, const std::string& path) override;

 private:
  DownloadLimits limits_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_CURL_DOWNLOADER_H_
