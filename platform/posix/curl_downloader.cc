#include "platform/posix/curl_downloader.h"

#include <curl/curl.h>

#include <cstdio>
#include <mutex>

namespace zan {

namespace {

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

}  // namespace

CurlDownloader::CurlDownloader(DownloadLimits limits) : limits_(limits) {
  InitCurlOnce();
}

bool CurlDownloader::DownloadToFile(const std::string& url,
                                    const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    std::fclose(file);
    return false;
  }
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,file");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits_.connect_timeout_ms);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits_.low_speed_bytes);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits_.low_speed_seconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits_.total_timeout_ms);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFile);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
  const CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
  const bool closed = std::fclose(file) == 0;
  // file:// answers with no status; http must answer 2xx.
  const bool status_ok = status == 0 || (status >= 200 && status < 300);
  return result == CURLE_OK && status_ok && flushed && closed;
}

}  // namespace zan
