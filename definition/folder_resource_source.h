#ifndef ZAN_DEFINITION_FOLDER_RESOURCE_SOURCE_H_
#define ZAN_DEFINITION_FOLDER_RESOURCE_SOURCE_H_

#include <string>

#include "settings/resource_source.h"

namespace zan {

// A resource source that only looks in one local folder and never
// downloads: a resource is available when the folder holds a readable
// regular file of that name.
class FolderResourceSource : public ResourceSource {
 public:
  explicit FolderResourceSource(std::string folder)
      : folder_(std::move(folder)) {}

  bool DownloadResource(std::string& name) override;

 private:
  std::string folder_;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_FOLDER_RESOURCE_SOURCE_H_
