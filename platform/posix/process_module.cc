#include "platform/posix/process_module.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zan {

std::string ProcessModule::Path() {
  std::error_code error;
  std::filesystem::path exe =
      std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) exe = "zan";
  const char* home = std::getenv("ZAN_HOME");
  if (home != nullptr && *home != '\0') {
    return (std::filesystem::path(home) / exe.filename()).string();
  }
  return exe.string();
}

}  // namespace zan
