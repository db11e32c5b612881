#include "mail/mailbox_menu.h"

#include <cstring>

#include "settings/string_utils.h"

namespace zan {

bool IsMailboxMenuCaption(const std::string& caption) {
  return caption.rfind(kMailboxMenuPrefix, 0) == 0;
}

std::vector<MailboxMenuEntry> ExpandMailboxMenu(const std::string& caption,
                                                int item_command_id,
                                                const MailAccountStore& store) {
  std::string pattern =
      caption.substr(std::min(caption.size(), std::strlen(kMailboxMenuPrefix)));
  std::vector<MailboxMenuEntry> entries;
  uint32_t count = store.AccountCount();
  if (count == 0) {
    entries.push_back({"No POP3 accounts configured", item_command_id, false});
    return entries;
  }
  for (uint32_t n = 1; n <= count; ++n) {
    std::string number = std::to_string(n);
    std::optional<std::string> user = store.ReadUser(number);
    std::optional<std::string> server = store.ReadServer(number);
    if (!user || !server) continue;
    std::string label = pattern;
    ReplaceAll(label, "%server", *server);
    ReplaceAll(label, "%account", *user);
    ReplaceAll(label, "%newmsgcount", store.ReadStats(number).value_or(""));
    entries.push_back({label, kMailboxCommandBase + static_cast<int>(n), true});
  }
  return entries;
}

std::optional<uint32_t> MailboxAccountOfCommand(int command_id) {
  if (command_id < kFirstMailboxCommand || command_id > kLastMailboxCommand) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(command_id - kMailboxCommandBase);
}

}  // namespace zan
