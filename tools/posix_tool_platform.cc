#include "platform/posix/posix_tcp_connection.h"
#include "platform/posix/user_registry.h"
#include "tools/tool_platform.h"

namespace zan {

std::unique_ptr<Registry> OpenToolRegistry() { return OpenUserRegistry(); }

std::string ToolRegistryName() { return UserRegistryPath(); }

std::unique_ptr<TcpConnectionFactory> CreateToolConnections() {
  return std::make_unique<PosixTcpConnectionFactory>();
}

}  // namespace zan
