#ifndef ZAN_MAIL_MAILBOX_MENU_H_
#define ZAN_MAIL_MAILBOX_MENU_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mail/mail_account_store.h"

namespace zan {

// A menu item whose caption begins with this text stands for the list of
// mailboxes; the rest of its caption is the label pattern ("%server",
// "%account", "%newmsgcount").
inline constexpr char kMailboxMenuPrefix[] = "POP3BoxesWebFrontLinks!";
// Command id of the mailbox entry of account n: kMailboxCommandBase + n.
inline constexpr int kMailboxCommandBase = 0x5A07;
// The ids that reach the mailbox command (accounts 1 to 201).
inline constexpr int kFirstMailboxCommand = 0x5A08;
inline constexpr int kLastMailboxCommand = 0x5AD0;
// Status bar text while the pointer is over a mailbox entry.
inline constexpr char kMailboxStatusText[] = "Open web-front for POP3 mailbox";
// The command that opens a mailbox's web front.
inline constexpr char kWebMailCommandName[] = "GoToWebMailGate";

struct MailboxMenuEntry {
  std::string label;
  int command_id = 0;
  bool enabled = true;  // false: disabled and grayed

  bool operator==(const MailboxMenuEntry&) const = default;
};

bool IsMailboxMenuCaption(const std::string& caption);

// The entries that replace a mailbox menu item: one per account whose user
// name and server can be read, or one disabled "No POP3 accounts
// configured" entry with `item_command_id` when there is no account.
std::vector<MailboxMenuEntry> ExpandMailboxMenu(const std::string& caption,
                                                int item_command_id,
                                                const MailAccountStore& store);

// The account number a mailbox command id stands for; std::nullopt for ids
// outside kFirstMailboxCommand..kLastMailboxCommand.
std::optional<uint32_t> MailboxAccountOfCommand(int command_id);

}  // namespace zan

#endif  // ZAN_MAIL_MAILBOX_MENU_H_
