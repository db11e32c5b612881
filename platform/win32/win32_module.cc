#include "platform/win32/win32_module.h"

#include <windows.h>

#include <cstdlib>

namespace zan {
namespace {

// Its address identifies the module that holds this file's code.
void ModuleAnchor() {}

}  // namespace

std::string Win32Module::Path() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ModuleAnchor), &module);
  std::string path(1000, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(module, path.data(),
                                            static_cast<DWORD>(path.size()));
    if (length == 0) {
      path = "zan";
      break;
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const char* home = std::getenv("ZAN_HOME");
  if (home != nullptr && *home != '\0') {
    std::string folder = home;
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder + path.substr(path.find_last_of("\\/") + 1);
  }
  return path;
}

}  // namespace zan
