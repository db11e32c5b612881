#ifndef ZAN_PLATFORM_POSIX_PROCESS_MODULE_H_
#define ZAN_PLATFORM_POSIX_PROCESS_MODULE_H_

#include <string>

#include "platform/module.h"

namespace zan {

// The running program as the toolbar's module: its file from
// /proc/self/exe, moved into the folder named by ZAN_HOME when that is set.
class ProcessModule : public Module {
 public:
  std::string Path() override;
  char PathSeparator() override { return '/'; }
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_PROCESS_MODULE_H_
