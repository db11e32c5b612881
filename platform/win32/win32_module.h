#ifndef ZAN_PLATFORM_WIN32_WIN32_MODULE_H_
#define ZAN_PLATFORM_WIN32_WIN32_MODULE_H_

#include <string>

#include "platform/module.h"

namespace zan {

// The module file that holds this code: inside the browser the toolbar's
// DLL, in a program the .exe (GetModuleHandleExA from an address of this
// file, then GetModuleFileNameA). ZAN_HOME, when set, names another folder
// for the same file name, as on Linux.
class Win32Module : public Module {
 public:
  std::string Path() override;
  char PathSeparator() override { return '\\'; }
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_WIN32_MODULE_H_
