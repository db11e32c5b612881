#ifndef ZAN_PLATFORM_MODULE_H_
#define ZAN_PLATFORM_MODULE_H_

#include <string>

namespace zan {

// The file that holds the toolbar's code: the program on Linux, the DLL
// inside the browser on Windows. The toolbar keeps its definition file, its
// image lists and its downloaded files in the folder of this file.
class Module {
 public:
  virtual ~Module() = default;
  // The full path of the module file.
  virtual std::string Path() = 0;
  // The separator of the folders in Path() ('/' or '\\').
  virtual char PathSeparator() = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_MODULE_H_
