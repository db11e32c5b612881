#ifndef ZAN_SETTINGS_RESOURCE_SOURCE_H_
#define ZAN_SETTINGS_RESOURCE_SOURCE_H_

#include <string>

namespace zan {

// Where the toolbar's resource files (the definition file, image lists,
// menu bitmaps) come from.
class ResourceSource {
 public:
  virtual ~ResourceSource() = default;
  // Makes the file `name` (relative to the module folder and the site base
  // URL) available locally. On success `name` becomes the full local path;
  // on failure it is left unchanged.
  virtual bool DownloadResource(std::string& name) = 0;
};

}  // namespace zan

#endif  // ZAN_SETTINGS_RESOURCE_SOURCE_H_
