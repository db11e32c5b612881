#ifndef ZAN_TOOLS_TOOL_PLATFORM_H_
#define ZAN_TOOLS_TOOL_PLATFORM_H_

#include <memory>
#include <string>

#include "platform/registry.h"
#include "platform/tcp_connection.h"

namespace zan {

// The forms of the seams that the command-line programs use on the system
// they are built for (tools/posix_tool_platform.cc on Linux,
// tools/win32_tool_platform.cc on Windows; the build picks one).

// The user's registry; nullptr when it cannot be opened.
std::unique_ptr<Registry> OpenToolRegistry();
// Where that registry is, for messages.
std::string ToolRegistryName();
// Connections over the system's sockets.
std::unique_ptr<TcpConnectionFactory> CreateToolConnections();

}  // namespace zan

#endif  // ZAN_TOOLS_TOOL_PLATFORM_H_
