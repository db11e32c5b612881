#ifndef ZAN_SETTINGS_RESOURCE_SOURCE_H_
#define ZAN_SETTINGS_RESOURCE_SOURCE_H_

#include <functional>
#include <string>
#include <vector>

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

  // A downloaded file that waits to replace its local copy.
  struct WaitingFile {
    std::string name;            // as asked for ("ZAN.tbd")
    std::string path;            // where it waits
    bool replaces_copy = false;  // a local copy exists
  };
  using KeepWaitingFile = std::function<bool(const WaitingFile&)>;

  // Holding back: from BeginStaging on, a file that is downloaded does not
  // replace its local copy but waits beside it, and DownloadResource hands
  // out the waiting file. EndStaging asks `keep` about each one: a kept file
  // replaces the local copy, the others are deleted. It answers the names
  // of the files that were dropped while a local copy stays in use. A
  // source that never downloads needs neither.
  virtual void BeginStaging() {}
  virtual std::vector<std::string> EndStaging(const KeepWaitingFile& /*keep*/) {
    return {};
  }
};

}  // namespace zan

#endif  // ZAN_SETTINGS_RESOURCE_SOURCE_H_
