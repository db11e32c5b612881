#include "hosts/band/server_module.h"

namespace zan {

ServerModule& ServerModule::Instance() {
  static ServerModule module;
  return module;
}

std::string ServerModule::Path() const {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(instance_, path.data(),
                                            static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace zan
