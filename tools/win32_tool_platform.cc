#include <cstdlib>

#include "platform/win32/win32_registry.h"
#include "platform/win32/winsock_tcp_connection.h"
#include "tools/tool_platform.h"

namespace zan {
namespace {

// ZAN_REGISTRY_ROOT names a key below HKEY_CURRENT_USER whose sub keys
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT stand in for
// the hives: a registry of its own, for trials and tests.
std::string RegistryRoot() {
  const char* root = std::getenv("ZAN_REGISTRY_ROOT");
  return root != nullptr ? std::string(root) : std::string();
}

}  // namespace

std::unique_ptr<Registry> OpenToolRegistry() {
  return std::make_unique<Win32Registry>(RegistryRoot());
}

std::string ToolRegistryName() {
  const std::string root = RegistryRoot();
  return root.empty() ? "the Windows registry" : "HKEY_CURRENT_USER\\" + root;
}

std::unique_ptr<TcpConnectionFactory> CreateToolConnections() {
  return std::make_unique<WinsockTcpConnectionFactory>();
}

}  // namespace zan
