#include "settings/resource_downloader.h"

#include <zlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "settings/product_constants.h"
#include "settings/string_utils.h"

namespace zan {

namespace {

// A resource name must stay inside the module folder: no absolute path, no
// ".." step, no backslash (a separator on Windows), no zero byte.
bool IsSafeName(const std::string& name) {
  if (name.empty() || name.front() == '/') return false;
  if (name.find('\\') != std::string::npos ||
      name.find('\0') != std::string::npos) {
    return false;
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(start, end - start);
    if (part == "..") return false;
    start = end + 1;
  }
  return name.back() != '/';
}

// A name for the temporary file beside `local` that no other download (in
// this process or another) uses at the same time.
std::string TemporaryName(const std::string& local) {
  static std::atomic<uint64_t> counter{0};
  const auto stamp =
      std::chrono::steady_clock::now().time_since_epoch().count();
  return local + ".download-" +
         std::to_string(static_cast<uint64_t>(stamp) ^
                        reinterpret_cast<uintptr_t>(&counter)) +
         "-" + std::to_string(counter++);
}

}  // namespace

uint32_t FileChecksum(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  char block[1024];
  bool any = false;
  while (in.read(block, sizeof(block)) || in.gcount() > 0) {
    any = true;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(block),
                static_cast<uInt>(in.gcount()));
  }
  return any ? static_cast<uint32_t>(crc) : 0;
}

std::string ChecksumText(uint32_t checksum) {
  return std::to_string(static_cast<int32_t>(checksum));
}

ResourceDownloader::ResourceDownloader(const SettingsStore& settings,
                                       Downloader& downloader, Ui& ui,
                                       std::string local_dir,
                                       std::string base_url)
    : settings_(settings),
      downloader_(downloader),
      ui_(ui),
      local_dir_(std::move(local_dir)),
      base_url_(std::move(base_url)) {}

ResourceDownloader::ResourceDownloader(const SettingsStore& settings,
                                       Downloader& downloader, Ui& ui,
                                       Module& module)
    : ResourceDownloader(settings, downloader, ui, ModuleDirFile(module, ""),
                         SiteBaseUrl()) {}

bool ResourceDownloader::DownloadResource(std::string& name) {
  const std::string url = base_url_ + name;
  if (!IsSafeName(name)) {
    ReportFailure(name, url);
    return false;
  }
  if (staging_) {
    auto waiting = waiting_.find(name);
    if (waiting != waiting_.end()) {
      name = waiting->second.first;
      return true;
    }
  }
  const std::string local = local_dir_ + name;
  const uint32_t before = FileChecksum(local);
  if (before != 0 && !settings_.GetFlag("GlobalUpdateFlag", false)) {
    name = local;
    return true;
  }

  const std::string temporary = Fetch(url, local);
  if (auto history = settings_.OpenProductSubKey(
          SettingsStore::HistoryKeyName("ResourceFiles"))) {
    history->SetValue(local, DwordValue(1));
  }

  if (!temporary.empty()) {
    if (staging_) {
      waiting_[name] = {temporary, local};
      name = temporary;
      return true;
    }
    if (Install(name, temporary, local)) {
      name = local;
      return true;
    }
  }
  if (before != 0) {
    name = local;
    return true;
  }
  ReportFailure(name, url);
  return false;
}

void ResourceDownloader::BeginStaging() { staging_ = true; }

std::vector<std::string> ResourceDownloader::EndStaging(
    const KeepWaitingFile& keep) {
  staging_ = false;
  std::vector<std::string> dropped;
  for (const auto& [name, files] : waiting_) {
    const auto& [temporary, local] = files;
    const bool has_copy = FileChecksum(local) != 0;
    if (keep && keep(WaitingFile{name, temporary, has_copy}) &&
        Install(name, temporary, local)) {
      continue;
    }
    std::error_code error;
    std::filesystem::remove(temporary, error);
    if (has_copy) dropped.push_back(name);
  }
  waiting_.clear();
  return dropped;
}

std::string ResourceDownloader::Fetch(const std::string& url,
                                      const std::string& local) {
  std::error_code error;
  const std::filesystem::path folder =
      std::filesystem::path(local).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, error);
  const std::string temporary = TemporaryName(local);
  bool whole = downloader_.DownloadToFile(url, temporary);
  // An empty body is no resource file.
  if (whole) whole = std::filesystem::file_size(temporary, error) > 0 && !error;
  if (!whole) {
    std::filesystem::remove(temporary, error);
    return std::string();
  }
  return temporary;
}

bool ResourceDownloader::Install(const std::string& name,
                                 const std::string& temporary,
                                 const std::string& local) {
  std::error_code error;
  std::filesystem::rename(temporary, local, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  settings_.SetString(name, ChecksumText(FileChecksum(local)));
  return true;
}

void ResourceDownloader::ReportFailure(const std::string& name,
                                       const std::string& url) {
  ui_.ShowMessageBox("Unable to download file " + name + " from " + url,
                     AlertTitle(), MessageBoxButtons::kOk,
                     MessageBoxIcon::kNone);
  if (settings_.GetFlag("ShowDownloadErrorMessages", true)) {
    settings_.SetString("ShowDownloadErrorMessages", "0");
  }
}

}  // namespace zan
