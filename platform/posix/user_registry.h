#ifndef ZAN_PLATFORM_POSIX_USER_REGISTRY_H_
#define ZAN_PLATFORM_POSIX_USER_REGISTRY_H_

#include <memory>
#include <string>

#include "platform/registry.h"

namespace zan {

// Path of the user's registry store: $ZAN_REGISTRY, else
// $XDG_CONFIG_HOME/zan/registry.db, else ~/.config/zan/registry.db.
std::string UserRegistryPath();
// Opens (creating it when missing) the user's registry store; nullptr when
// it cannot be opened.
std::unique_ptr<Registry> OpenUserRegistry();

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_USER_REGISTRY_H_
