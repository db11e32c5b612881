#include "platform/posix/user_registry.h"

#include <cstdlib>

#include "platform/posix/sqlite_registry.h"

namespace zan {

std::string UserRegistryPath() {
  const char* explicit_path = std::getenv("ZAN_REGISTRY");
  if (explicit_path != nullptr && *explicit_path != '\0') return explicit_path;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') {
    return std::string(config) + "/zan/registry.db";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config/zan/registry.db";
}

std::unique_ptr<Registry> OpenUserRegistry() {
  return SqliteRegistry::Open(UserRegistryPath());
}

}  // namespace zan
