#include "definition/folder_resource_source.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace zan {

bool FolderResourceSource::DownloadResource(std::string& name) {
  std::string path = folder_;
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path += name;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  if (!std::ifstream(path).is_open()) return false;
  name = std::move(path);
  return true;
}

}  // namespace zan
