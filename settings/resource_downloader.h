#ifndef ZAN_SETTINGS_RESOURCE_DOWNLOADER_H_
#define ZAN_SETTINGS_RESOURCE_DOWNLOADER_H_

#include <cstdint>
#include <map>
#include <string>

#include "platform/downloader.h"
#include "platform/module.h"
#include "platform/ui.h"
#include "settings/resource_source.h"
#include "settings/settings_store.h"

namespace zan {

// CRC-32 (the zlib polynomial) of a file's whole content; 0 when the file
// cannot be read or is empty, which means "no local copy".
uint32_t FileChecksum(const std::string& path);
// The checksum as the toolbar records it: the 32-bit value taken as signed,
// in decimal.
std::string ChecksumText(uint32_t checksum);

// Makes the toolbar's resource files available in the module folder,
// fetching them from the product web site when there is no local copy or
// when "GlobalUpdateFlag" is on. A download goes into a temporary file in
// the same folder that replaces the local copy only when the whole file
// arrived, so a failed update never destroys the copy in use; while
// staging, it replaces the local copy only once the caller has found that it
// loads.
class ResourceDownloader : public ResourceSource {
 public:
  // Files go to `local_dir` (ending in "/") and come from `base_url`
  // (ending in "/").
  ResourceDownloader(const SettingsStore& settings, Downloader& downloader,
                     Ui& ui, std::string local_dir, std::string base_url);
  // The folder of `module` and SiteBaseUrl().
  ResourceDownloader(const SettingsStore& settings, Downloader& downloader,
                     Ui& ui, Module& module);

  bool DownloadResource(std::string& name) override;
  void BeginStaging() override;
  std::vector<std::string> EndStaging(const KeepWaitingFile& keep) override;

 private:
  // Downloads `url` into a new temporary file beside `local`; its path, or
  // empty when no whole file arrived.
  std::string Fetch(const std::string& url, const std::string& local);
  // The temporary file replaces `local`; its checksum is recorded under
  // `name`.
  bool Install(const std::string& name, const std::string& temporary,
               const std::string& local);
  void ReportFailure(const std::string& name, const std::string& url);

  const SettingsStore& settings_;
  Downloader& downloader_;
  Ui& ui_;
  std::string local_dir_;
  std::string base_url_;
  bool staging_ = false;
  // Waiting downloads by resource name: the temporary file and the local
  // copy it is to replace.
  std::map<std::string, std::pair<std::string, std::string>> waiting_;
};

}  // namespace zan

#endif  // ZAN_SETTINGS_RESOURCE_DOWNLOADER_H_
