#ifndef ZAN_PLATFORM_DOWNLOADER_H_
#define ZAN_PLATFORM_DOWNLOADER_H_

#include <string>

namespace zan {

// Fetches a URL (http, https or file) into a file.
class Downloader {
 public:
  virtual ~Downloader() = default;
  // Writes the body of `url` into the file `path`, creating or truncating
  // it. True only when the whole body arrived with a success status; on
  // false the file's content is undefined and the caller discards it.
  virtual bool DownloadToFile(const std::string& url,
                              const std::string& path) = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_DOWNLOADER_H_
