#ifndef ZAN_PLATFORM_WIN32_WIN32_REGISTRY_H_
#define ZAN_PLATFORM_WIN32_WIN32_REGISTRY_H_

#include <memory>
#include <string>
#include <utility>

#include "platform/registry.h"

namespace zan {

// The Windows registry through ADVAPI32. Paths and names are checked as the
// emulated store checks them (no empty or overlong names, no zero bytes, at
// most 512 levels below the hive root), so both forms answer the same calls
// alike. A compare-and-set holds a named mutex per value, shared by every
// process of the session.
class Win32Registry : public Registry {
 public:
  // The hives of the system. With a `root_path`, the three hives are
  // instead the keys HKEY_CURRENT_USER\<root_path>\HKEY_CURRENT_USER (and
  // \HKEY_LOCAL_MACHINE, \HKEY_CLASSES_ROOT), created when missing: a
  // registry of its own inside the user's, for trials and tests.
  explicit Win32Registry(std::string root_path = std::string())
      : root_path_(std::move(root_path)) {}

  std::unique_ptr<RegistryKey> OpenHive(RegistryHive hive) override;

 private:
  std::string root_path_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_WIN32_REGISTRY_H_
