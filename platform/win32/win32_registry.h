#ifndef ZAN_PLATFORM_WIN32_WIN32_REGISTRY_H_
#define ZAN_PLATFORM_WIN32_WIN32_REGISTRY_H_

#include <memory>
#include <string>

#include "platform/registry.h"

namespace zan {

// The Windows registry through ADVAPI32. Paths and names are checked as the
// emulated store checks them (no empty or overlong names, no zero bytes, at
// most 512 levels below the hive root), so both forms answer the same calls
// alike. A compare-and-set holds a named mutex per value, shared by every
// process of the session.
class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegistryKey> OpenHive(RegistryHive hive) override;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_WIN32_REGISTRY_H_
