#ifndef ZAN_TESTS_SUPPORT_RECORDING_LAUNCHER_H_
#define ZAN_TESTS_SUPPORT_RECORDING_LAUNCHER_H_

#include <string>
#include <vector>

#include "platform/process_launcher.h"
#include "platform/proxy_settings.h"

namespace zan::test {

// Records the command lines it is asked to start; answers `succeed`.
class RecordingProcessLauncher : public ProcessLauncher {
 public:
  bool Start(const std::string& command_line) override {
    lines.push_back(command_line);
    return succeed;
  }
  bool succeed = true;
  std::vector<std::string> lines;
};

// A desktop that names `command` as its mailto handler.
class FakeDesktopMailHandler : public DesktopMailHandler {
 public:
  std::string GetMailtoCommand() override {
    ++calls;
    return command;
  }
  std::string command;
  int calls = 0;
};

// Records the proxy option lists and announcements, in order.
class RecordingProxySettings : public ProxySettings {
 public:
  bool SetPerConnectionOptions(const ProxyOptionList& list) override {
    lists.push_back(list);
    calls.push_back("Set");
    return accept;
  }
  void AnnounceSettingsChanged() override { calls.push_back("Changed"); }
  void Refresh() override { calls.push_back("Refresh"); }

  bool accept = true;
  std::vector<ProxyOptionList> lists;
  std::vector<std::string> calls;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_SUPPORT_RECORDING_LAUNCHER_H_
