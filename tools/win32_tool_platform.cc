#include "platform/win32/win32_registry.h"
#include "platform/win32/winsock_tcp_connection.h"
#include "tools/tool_platform.h"

namespace zan {

std::unique_ptr<Registry> OpenToolRegistry() {
  return std::make_unique<Win32Registry>();
}

std::string ToolRegistryName() { return "the Windows registry"; }

std::unique_ptr<TcpConnectionFactory> CreateToolConnections() {
  return std::make_unique<WinsockTcpConnectionFactory>();
}

}  // namespace zan
